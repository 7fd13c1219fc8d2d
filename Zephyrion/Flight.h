// The craft's flight: the controls read each frame, the move and the clamp to
// the city, collisions with buildings and their recovery, and the crash.
// The frame pipeline drives it; the timers and the damage start the crash.
#pragma once

void readControls();
void moveCraft();
void clampCraft();
bool craftHitsBuilding(float x, float y, float z);
void resolveBuildingCollision(float minX, float minAlt, float minZ, float maxX, float maxAlt,
                              float maxZ, bool isFuelDepot);
void startCrashing();
void destroyCraft();
void crashStep();
int mouseDivisor();  // mouse counts per degree, by sensitivity; never below 1
