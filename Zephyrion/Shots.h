// Shots, hits and damage: the twin beams and what they hit, the damage that
// reddens buildings until they give way, and the craft's damage and cracks.
// The controls start shots; the frame pipeline draws and tests them.
#pragma once

void startShot();
void endShot();       // the shot's 400 ms are over, or its life is
void stopBeamLoop();  // silences the beam on a building
void drawBeams();
bool fireBeam();  // true while the beam rests on a building
int buildingAtPoint(float x, float y, float z);
void damageBuilding(int index, int amount, bool whiten);
void applyDamage(int amount);
void addCrack();
