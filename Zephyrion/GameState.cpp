// The one instance of the game state record.
#include "Zephyrion/GameState.h"

#include <cstdio>

GameState game;

static const char *const craftStates[] = {"flying", "crashing", "destroyed", "on autopilot"};

void describeGame(char *out, int size)
{
    const Camera none = {};
    const Camera &c = camera ? *camera : none;
    const char *craft = game.craftState >= Flying && game.craftState <= Autopilot
                            ? craftStates[game.craftState]
                            : "in no known state";
    snprintf(out, (size_t)size,
             "in the %s loop; the craft %s at (%.0f, %.0f, %.0f) heading %.0f pitch %.0f speed "
             "%.1f; lives %d, city %d, enemies %d of %d, score %d, fuel %.1f, damage %d; game "
             "time %u ms%s, clock %u ms",
             game.loop, craft, c.x, c.y, c.z, c.yaw, c.pitch, c.speed, game.lives,
             game.citiesCleared + 1, game.enemiesRemaining, game.enemyCount, game.score, game.fuel,
             game.damage, game.gameMs, game.paused ? " (paused)" : "", (uint32_t)game.msTicks);
}
