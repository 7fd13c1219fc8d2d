// The game's timers. See Timers.h.
#include "Zephyrion/Timers.h"

#include "Zephyrion/GameState.h"

// What each running timer does when it fires; its owner gave it.
static void (*timerActions[gameTimerCount])();

void installClock()
{
    startClock();
}

void resetGameTime(uint32_t tickMs)
{
    stopGameTimers();
    game.tick = 0;
    game.gameMs = 0;
    game.tickMs = tickMs;
}

// As with Allegro's own timers, starting a running timer keeps its beat.
void startTimer(int timer, uint32_t periodMs, void (*action)())
{
    if (game.timerRunning[timer])
        return;
    game.timerRunning[timer] = true;
    game.timerPeriod[timer] = periodMs;
    game.timerDue[timer] = game.gameMs + periodMs;
    timerActions[timer] = action;
}

void stopTimer(int timer)
{
    game.timerRunning[timer] = false;
}

void stopGameTimers()
{
    for (int timer = 0; timer < gameTimerCount; timer++)
        stopTimer(timer);
}

// The timer due first by game time `until`, or -1; on a tie the one listed first.
static int nextDue(uint32_t until)
{
    int next = -1;
    for (int timer = 0; timer < gameTimerCount; timer++) {
        if (!game.timerRunning[timer] || (int32_t)(until - game.timerDue[timer]) < 0)
            continue;
        if (next < 0 || (int32_t)(game.timerDue[timer] - game.timerDue[next]) < 0)
            next = timer;
    }
    return next;
}

// Every period that ends within this tick fires, in the order they fell due,
// at the game time it fell due: a shot lasts as many ticks on any machine.
void runGameTimers()
{
    uint32_t until = game.gameMs + game.tickMs;
    for (int timer = nextDue(until); timer >= 0; timer = nextDue(until)) {
        game.gameMs = game.timerDue[timer];
        game.timerDue[timer] += game.timerPeriod[timer];
        timerActions[timer]();
    }
    game.gameMs = until;
}
