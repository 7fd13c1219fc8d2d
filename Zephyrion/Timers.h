// The timer callbacks: the millisecond clock, the collision recovery, the
// collapse of blown-up buildings, the fuel burn and the end of a shot. They run
// on Allegro's timer thread; start-up, each life and each shot install them.
#pragma once

void tickMs();
void recoveryTick();
void collapseTick();
void fuelTick();
void fireEndTick();

void installStartupTimers();  // the clock, the recovery and the collapse, for the whole run
void startFuelTimer();        // at the start of every life; installing again only resets it
void stopFuelTimer();         // when a game ends, so nothing burns behind the title screen
void startFireTimer();        // at every shot
void stopSampleTimers();      // before the samples go: no timer may play one after
