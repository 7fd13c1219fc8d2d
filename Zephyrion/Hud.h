// The heads-up display drawn over every flying frame: instruments, icons,
// crosshair, fuel arrow, cracks and messages. The frame pipeline and the
// approach and exit sequences call it, autopilot 1 leaving out the aiming aids.
#pragma once

void drawHud(int autopilot);
