// The city: 120 box buildings in 12 strips of 10 on a ground plate, with the
// fuel depot marked by four spinning pyramids. The title and game loops build
// and free it; every screen that shows it draws it into the back buffer.
#pragma once

bool buildCity();
bool generateCity();
bool layOutCity();
void freeCity();
bool drawCity();
void drawDepotPyramids();
