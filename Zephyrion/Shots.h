// Shots and hits: the twin beams and what they hit, and the damage that
// reddens buildings until they give way. The controls start shots; the tick
// tests them, the frame draws them.
#pragma once

void startShot();
void endShot();       // the shot's 400 ms are over, or its life is
void stopBeamLoop();  // silences the beam on a building
void drawBeams();
bool fireBeam();  // true while the beam rests on a building
int buildingAtPoint(float x, float y, float z);
void damageBuilding(int index, int amount, bool whiten);
