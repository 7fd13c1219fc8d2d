// Whether the program has been asked to end (a signal, the window's close
// button), and the wait for a key that such a request cuts short. Start-up
// watches the signals; the menus and loops ask after the rest.
#pragma once

// From now on SIGTERM, SIGINT and SIGHUP ask the program to end, as the
// window's close button does, instead of killing it.
void watchQuitSignals();

// Whether the program has been asked to end; it then leaves as by Escape.
bool quitRequested();

// readkey, or Escape's key once the program has been asked to end. A switch
// between full screen and window asked for meanwhile is carried out.
int readKeyUnlessQuit();
