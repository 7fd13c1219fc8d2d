// Replays: a demo played back as a game in a city built from its seed and
// with its settings, watched at its own pace or timed as fast as frames are
// drawn. The command line's --play and --timedemo run them, and the title's
// attract mode shows the top ten's games, or those shipped with the game.
#pragma once

#include "Zephyrion/Demo.h"

// Plays the demo back (WatchedReplay or TimedReplay); the player's own
// settings are back after it, and nothing of it is kept.
ReplayOutcome replayDemo(const Demo &demo, int replay);

// Loads a demo to play; one that cannot be played is said in one line, in
// the error log and, when asked, on stderr.
bool loadDemoToPlay(const char *path, Demo &demo, bool sayOnStderr);

// --play and --timedemo on a loaded demo; the program's exit status.
int runDemoFromCommandLine(const Demo &demo, const char *path, int replay);

// The attract mode's next demo, over a city of its own: the title's city is
// freed first. False, with nothing touched, when there is none to show.
bool playAttractDemo();
