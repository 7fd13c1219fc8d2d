// Shell commands for the tests: what a command prints. The end-to-end harness
// and the watchdog run their tools (xdotool, xwd, gdb) through it.
#pragma once

#include <string>

// What a shell command writes on its standard output.
std::string run(const std::string &command);
