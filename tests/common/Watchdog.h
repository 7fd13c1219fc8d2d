// A bound on every test of a test binary: a test that runs past it ends the
// binary with a failure that names the test and says where the game stood,
// instead of waiting for ever. Each binary arms it once, with its report.
#pragma once

#include <string>

// From now on every test has boundSeconds; where() tells where the game stood.
void watchEveryTest(int boundSeconds, std::string (*where)());

// The main thread's calls in process pid, as gdb sees them.
std::string callsSeenByGdb(int pid);

// The same, and the game's loop and main fields: for a game in another process.
std::string gameSeenByGdb(int pid);
