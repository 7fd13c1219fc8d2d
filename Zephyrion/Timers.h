// The game's timers: the millisecond clock started at start-up, and on game
// time the collision recovery, the collapse of blown-up buildings, the fuel
// burn and the end of a shot. Every loop that runs while a city is in play
// calls runGameTimers; pausing stops game time.
#pragma once

void recoveryTick();
void collapseTick();
void fuelTick();
void fireEndTick();

void installClock();      // start-up: the millisecond clock runs from now, for the whole run
void startGameTimers();   // a game begins: the recovery and the collapse run from now
void stopGameTimers();    // a game ends: no timer runs until the next one
void runGameTimers();     // catches game time up with the clock, firing every period passed
void pauseGameTime();     // game time stands still from now on
void resumeGameTime();    // and goes on from where it stood
void startFuelTimer();    // at the start of every life; starting it again keeps its beat
void stopFuelTimer();
void startFireTimer();    // at every shot: the shot ends 400 ms later
void stopFireTimer();
