// The watchdog of the test binaries that run the game's modules in their own
// process, with the bound the build gives them.
#include <unistd.h>

#include "Watchdog.h"
#include "Zephyrion/GameState.h"

namespace {

std::string gameHere()
{
    char line[512];
    describeGame(line, sizeof line);
    return line + callsSeenByGdb(getpid());
}

const bool armed = (watchEveryTest(TEST_BOUND_SECONDS, gameHere), true);

}  // namespace
