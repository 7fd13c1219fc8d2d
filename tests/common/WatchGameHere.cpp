// The watchdog of the test binaries that run the game's modules in their own
// process: 60 s for each test, well under CTest's timeout.
#include <unistd.h>

#include "Watchdog.h"
#include "Zephyrion/GameState.h"

namespace {

std::string gameHere()
{
    char line[512];
    describeGame(line, sizeof line);
    return line + gameSeenByGdb(getpid());
}

const bool armed = (watchEveryTest(60, gameHere), true);

}  // namespace
