// A word shared between the game thread and Allegro's timer thread. Each read
// and write is a relaxed atomic access, so the two threads never race; a
// read-modify-write is a read then a write, as the game's timers expect.
#pragma once

#include <atomic>

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

static_assert(sizeof(Shared<float>) == sizeof(float), "a shared float stays one 32-bit word");
