// The craft: its controls applied from the tick command, the move and the
// clamp to the city, collisions with buildings and their recovery, the fuel,
// its damage and windscreen cracks, and the crash. The tick drives it; the
// enemies' rams and its own collisions damage it.
#pragma once

struct TickCommand;

void applyControls(const TickCommand &cmd);
void moveCraft();
void clampCraft();
bool craftHitsBuilding(float x, float y, float z);
void resolveBuildingCollision(float minX, float minAlt, float minZ, float maxX, float maxAlt,
                              float maxZ, bool isFuelDepot);
void startCrashing();
void destroyCraft();
int crashWaitTicks();  // how long the crash's explosion sounds, in ticks
void crashStep();
void applyDamage(int amount);
void addCrack();
void recoveryTick();   // 120 ms: a recovering craft coasts to a stop
void fuelTick();       // 1000 ms: the burn, and an empty tank's fall
void startRecoveryTimer();
void startFuelTimer(); // at the start of every life; starting it again keeps its beat
