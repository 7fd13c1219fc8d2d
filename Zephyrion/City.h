// The city: 120 box buildings in 12 strips of 10 on a ground plate, with the
// fuel depot marked by four spinning pyramids, and the collapse of its blown-up
// buildings. The title and game loops build and free it, the ticks move it,
// and every screen that shows it draws it into the back buffer.
#pragma once

bool buildCity();
bool generateCity();
bool layOutCity();
void freeCity();
bool drawCity();
void drawDepotPyramids();
void spinDepotMarkers();    // a tick's turn of the depot's markers
void collapseTick();        // 80 ms: exploding buildings fly apart, then are gone
void startCollapseTimer();
