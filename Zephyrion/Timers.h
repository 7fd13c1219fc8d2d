// The game's timers on game time: each owner starts its timer with its period
// and its action (the collision recovery, the collapse of blown-up buildings,
// the fuel burn, the end of a shot), and every tick of the game runs the
// timers that fall due in it. Game time moves only with the ticks.
#pragma once

#include <cstdint>

void installClock();     // start-up: the millisecond clock runs from now, for the whole run

void resetGameTime(uint32_t tickMs);  // a game begins: time 0, ticks of tickMs, no timer running
void runGameTimers();    // one tick: game time moves on, and every period passed fires in order
void startTimer(int timer, uint32_t periodMs, void (*action)());  // a running timer keeps its beat
void stopTimer(int timer);
void stopGameTimers();   // a game ends: no timer runs until the next one
