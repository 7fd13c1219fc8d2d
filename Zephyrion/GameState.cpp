// The one instance of the game state record.
#include "Zephyrion/GameState.h"

#include <cstdio>

GameState game;

static const char *const craftStates[] = {"flying", "crashing", "destroyed", "on autopilot"};

void describeGame(char *out, int size)
{
    const Craft &c = game.craft;
    const char *craft = game.craftState >= Flying && game.craftState <= Autopilot
                            ? craftStates[game.craftState]
                            : "in no known state";
    snprintf(out, (size_t)size,
             "in the %s loop; the craft %s at (%.0f, %.0f, %.0f) heading %.0f pitch %.0f speed "
             "%.1f; lives %d, city %d, enemies %d of %d, score %d, fuel %.1f, damage %d; tick "
             "%u, game time %u ms%s, clock %u ms",
             game.loop, craft, c.x, c.y, c.z, c.yaw, c.pitch, c.speed, game.lives,
             game.citiesCleared + 1, game.enemiesRemaining, game.enemyCount, game.score, game.fuel,
             game.damage, game.tick, game.gameMs, game.paused ? " (paused)" : "", (uint32_t)game.msTicks);
}

// FNV-1a, over the bytes of each value as it lies in memory.
struct StateHash {
    uint32_t h = 2166136261u;
    template <typename T> void add(const T &value)
    {
        const unsigned char *p = (const unsigned char *)&value;
        for (size_t n = 0; n < sizeof value; n++)
            h = (h ^ p[n]) * 16777619u;
    }
};

uint32_t hashGameState()
{
    StateHash s;
    s.add(game.tick), s.add(game.gameMs), s.add(game.logicRandom.state);
    for (int t = 0; t < gameTimerCount; t++)
        if (game.timerRunning[t])
            s.add(t), s.add(game.timerDue[t]);
    s.add(game.lives), s.add(game.citiesCleared), s.add(game.score), s.add(game.ratingSum);
    s.add(game.craftState), s.add(game.fuel), s.add(game.damage), s.add(game.crackCount);
    s.add(game.enemiesRemaining), s.add(game.collisionFlag), s.add(game.beamActive);
    s.add(game.recoveryMode), s.add(game.recoveryTarget), s.add(game.recoveryTurnUp);
    s.add(game.lowFuelBlinkOn), s.add(game.lowFuelToggledMs);
    const Craft &c = game.craft;
    s.add(c.x), s.add(c.y), s.add(c.z), s.add(c.yaw), s.add(c.pitch), s.add(c.roll), s.add(c.torque),
        s.add(c.speed);
    for (int n = 0; n < game.enemyCount; n++) {
        const Enemy &e = game.enemies[n];
        s.add(e.state), s.add(e.blastGrowing), s.add(e.blastDistance), s.add(e.blastScale);
        s.add(e.blastSpin), s.add(e.speed), s.add(e.yaw), s.add(e.pitch);
        for (int k = 0; k < enemyCubes; k++) {
            s.add(e.growing[k]);
            if (e.cubes[k])
                s.add(e.cubes[k]->transform.x), s.add(e.cubes[k]->transform.y),
                    s.add(e.cubes[k]->transform.z), s.add(e.cubes[k]->transform.scale);
        }
    }
    for (int j = 0; j < cityStrips; j++)
        for (int i = 0; i < citySlots; i++) {
            const CityCell &c = game.city[i][j];
            s.add(c.state), s.add(c.blastDistance), s.add(c.blastScale), s.add(c.blastSpin);
            s.add(c.height), s.add(c.red), s.add(c.green), s.add(c.blue);
        }
    for (const Pyramid *marker : game.depotPyramids)
        if (marker)
            s.add(marker->transform.rotY);
    return s.h;
}
