// The tests' watchdog. See Watchdog.h.
#include "Watchdog.h"

#include "Shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct Watch {
    std::mutex lock;
    std::condition_variable changed;
    bool running = false;     // a test is running
    Clock::time_point due;    // when it has run too long
    std::string test;         // "Suite.Name"
    int boundSeconds = 0;
    std::string (*where)() = nullptr;
};

// Never destroyed: the watchdog's thread waits on it until the process ends.
Watch &watch = *new Watch;

// Runs for the life of the process, waking when a test starts or ends.
void watchdog()
{
    std::unique_lock<std::mutex> held(watch.lock);
    for (;;) {
        if (!watch.running) {
            watch.changed.wait(held);
            continue;
        }
        if (watch.changed.wait_until(held, watch.due) != std::cv_status::timeout ||
            Clock::now() < watch.due)
            continue;
        std::string where = watch.where ? watch.where() : "";
        fprintf(stderr,
                "\n[  TIMEOUT ] %s ran past its bound of %d s and was ended. "
                "Where the game stood: %s\n",
                watch.test.c_str(), watch.boundSeconds, where.c_str());
        fflush(stderr);
        fflush(stdout);
        _exit(1);
    }
}

class Listener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo &info) override
    {
        std::lock_guard<std::mutex> held(watch.lock);
        watch.test = std::string(info.test_suite_name()) + "." + info.name();
        watch.due = Clock::now() + std::chrono::seconds(watch.boundSeconds);
        watch.running = true;
        watch.changed.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo &) override
    {
        std::lock_guard<std::mutex> held(watch.lock);
        watch.running = false;
        watch.changed.notify_all();
    }
};

}  // namespace

void watchEveryTest(int boundSeconds, std::string (*where)())
{
    watch.boundSeconds = boundSeconds;
    watch.where = where;
    ::testing::UnitTest::GetInstance()->listeners().Append(new Listener);
    std::thread(watchdog).detach();
}

static const std::string mainThreadCalls = " -ex 'thread apply 1 bt 12'";

// gdb in batch mode, attached to pid with these commands; only the frames and
// the game's line are kept.
static std::string gdbSees(int pid, const std::string &commands)
{
    std::string out = run("timeout 30 gdb -p " + std::to_string(pid) + " -batch -nx" + commands +
                          " 2>&1 | grep -E '^#|loop;'");
    return out.empty() ? " (gdb could not see it)" : "\n" + out;
}

std::string callsSeenByGdb(int pid)
{
    return gdbSees(pid, mainThreadCalls);
}

std::string gameSeenByGdb(int pid)
{
    return gdbSees(pid,
                   mainThreadCalls +
                   " -ex 'printf \"in the %s loop; craft state %d, lives %d, city %d, enemies %d "
                   "of %d, score %d, fuel %.1f, damage %d, game time %u ms, paused %d\\n\", "
                   "game.loop, game.craftState, game.lives, game.citiesCleared + 1, "
                   "game.enemiesRemaining, game.enemyCount, game.score, game.fuel, game.damage, "
                   "game.gameMs, game.paused'");
}
