// Shots, hits and damage: the twin beams and what they hit, the damage that
// reddens buildings until they give way, and the craft's damage and cracks.
// The controls start shots; the frame pipeline draws and tests them.
#pragma once

void startShot();
void drawBeams();
bool fireBeam();  // true while the beam rests on a building
int buildingAtPoint(float x, float y, float z);
void damageBuilding(int index, int amount, bool whiten);
void applyDamage(int amount);
void addCrack();
