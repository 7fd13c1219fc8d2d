// The enemies: clusters of four pulsing cubes that roam the air over the city,
// bounce off its limits and its buildings, and ram the craft. The game loop
// sets them up and frees them per city; every tick moves them and steps their
// explosions, every frame draws them.
#pragma once

bool setupEnemies();  // false when they could not be made: the game cannot go on
void freeEnemies();
bool createEnemies();
void placeEnemies();
void moveEnemies();
int enemyHitsBuilding(float x, float y, float z, float size);
void explodeEnemies();
bool drawEnemies();
