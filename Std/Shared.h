// A word shared between the game thread and Allegro's timer thread: the
// millisecond clock. Each read and write is a relaxed atomic access, so the two
// threads never race; only the timer thread writes it.
#pragma once

#include <atomic>
#include <cstdint>

template <typename T> class Shared {
  public:
    Shared(T value = T()) : word(value) {}
    Shared(const Shared &other) : word(other.load()) {}
    Shared &operator=(const Shared &other)
    {
        store(other.load());
        return *this;
    }
    Shared &operator=(T value)
    {
        store(value);
        return *this;
    }
    operator T() const { return load(); }
    T load() const { return word.load(std::memory_order_relaxed); }
    void store(T value) { word.store(value, std::memory_order_relaxed); }

  private:
    std::atomic<T> word;
};

static_assert(sizeof(Shared<uint32_t>) == sizeof(uint32_t), "the clock stays one 32-bit word");
