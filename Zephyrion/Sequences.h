// The autopilot sequences that frame a life in a city: the approach that flies
// the craft in, with the first game's briefing, and the climb out of a cleared
// city with its points and rating. The game loop runs them.
#pragma once

void approachCity();
void exitCity(int rating);  // shows the rating index the city was cleared with
