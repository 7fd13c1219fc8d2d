// The heads-up display drawn over every flying frame: instruments, icons,
// crosshair, fuel arrow, cracks and messages. The frame pipeline and the
// approach and exit sequences call it, autopilot 1 leaving out the aiming aids.
// It is laid out on the back buffer, which is the screen's size.
#pragma once

void drawHud(int autopilot);
void hudTick();  // a tick of the low-fuel warning's blink and beep
