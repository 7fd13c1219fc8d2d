// The pause: P or Pause in flight, or the window losing the keyboard focus,
// freezes the game under "Paused" until P or Pause again, or Escape. The
// frame loop asks for it; Define Keys keeps its keys free.
#pragma once

bool isPauseKey(int scancode);  // P and Pause, fixed like Escape
bool pauseWanted();             // a pause key is down, or the focus was lost
bool pauseGame();               // false when Escape ended the game while paused
