// The HUD's pixels in the back buffer on a real 800 x 600 screen: what autopilot
// leaves out, the icon rows, the gauges' markers, the radar and the texts.
#include <allegro.h>
#include <gtest/gtest.h>
#include <loadpng.h>

#include <cmath>

#include <unistd.h>

#include "GameScreen.h"
#include "Std/3D.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/Enemies.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Zephyrion.h"
#include "text/Ttf.h"

namespace {

class Hud : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        ASSERT_TRUE(loadGraphics());
        game.citiesCleared = 0;
        buildCity();
        game.enemyCount = 0;
        game.lives = 3, game.enemiesRemaining = 0, game.damage = 0, game.fuel = 100;
        game.crackCount = 0, game.collisionFlag = false, game.craftState = Flying;
        game.craft.x = 0, game.craft.y = -100, game.craft.z = -20, game.craft.yaw = 0, game.craft.pitch = 0;
        clear_to_color(game.backBuffer, paper);
    }
    void TearDown() override
    {
        freeEnemies();
        freeCity();
        freeGraphics();
    }
    int count(int colour, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                n += getpixel(game.backBuffer, x, y) == colour;
        return n;
    }
    int changed(int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                n += getpixel(game.backBuffer, x, y) != paper;
        return n;
    }
    const int paper = makecol(1, 2, 3);
};

TEST_F(Hud, AutopilotLeavesOutTheCrosshairAndTheFuelArrow)
{
    drawHud(1);
    EXPECT_EQ(0, changed(340, 240, 460, 360));
    drawHud(0);
    EXPECT_GT(changed(340, 240, 460, 360), 100);
}

TEST_F(Hud, IconRowsShowLivesAndEnemiesAndNoneForZero)
{
    const Bitmaps &b = game.bitmaps;
    int right = 400 - b.radarDir->w / 2 - b.altimeter->w;  // the rows end at the altimeter
    int lifeBlue = makecol(120, 200, 255), enemyRed = makecol(240, 70, 40);
    game.lives = 0;
    drawHud(1);
    EXPECT_EQ(0, count(lifeBlue, 0, 440, right, 600));
    EXPECT_EQ(0, count(enemyRed, 0, 440, right, 600));
    clear_to_color(game.backBuffer, paper);
    game.lives = 3;
    game.enemiesRemaining = 2000000000;  // a huge count draws only what fits
    drawHud(1);
    EXPECT_GT(count(lifeBlue, right - 3 * b.lifeInd->w, 440, right, 520), 30);
    EXPECT_EQ(0, count(lifeBlue, 0, 440, right - 3 * b.lifeInd->w, 520));
    EXPECT_GT(count(enemyRed, 0, 540, 40, 600), 10);  // the enemy row runs off the left edge
}

TEST_F(Hud, DamageMarkerRisesFromTheGaugesLowerEdge)
{
    const Bitmaps &b = game.bitmaps;
    int cy = 600 - b.radarDir->h / 2;
    int xD = 400 + b.radarDir->w / 2 + b.speedo->w + b.pitch->w + b.damage->w / 2;
    int white = makecol(255, 255, 255);
    drawHud(1);
    EXPECT_EQ(white, getpixel(game.backBuffer, xD, cy + b.damage->h / 2));
    clear_to_color(game.backBuffer, paper);
    game.damage = 50;
    drawHud(1);
    EXPECT_EQ(white, getpixel(game.backBuffer, xD, cy + b.damage->h / 2 - 50 * (b.damage->h / 50)));
}

TEST_F(Hud, MessagesFollowTheCraftsState)
{
    int red = makecol(255, 0, 0);
    game.fuel = 0;
    game.craftState = Crashing;
    drawHud(0);
    EXPECT_GT(count(red, 0, 70, 800, 100), 100);   // "Out of Fuel"
    EXPECT_GT(count(red, 0, 300, 800, 340), 100);  // "Ship Crashing"
    clear_to_color(game.backBuffer, paper);
    game.fuel = 100, game.craftState = Destroyed, game.collisionFlag = true;
    drawHud(0);
    EXPECT_EQ(0, count(red, 0, 78, 800, 100));  // below "Autopilot Engaged"
    EXPECT_EQ(0, count(red, 250, 300, 550, 340));
    EXPECT_GT(count(red, 0, 50, 800, 75), 100);    // "Autopilot Engaged" with "Collision..."
    EXPECT_GT(count(makecol(255, 255, 255), 0, 30, 800, 50), 100);
}

TEST_F(Hud, FrameCounterEndsTenPixelsFromTheRightEdge)
{
    game.settings.showFPS = true;
    game.fpsValue = 7;
    drawHud(0);
    int lastInk = 0;
    for (int x = 0; x < 800; x++)
        if (count(makecol(255, 255, 255), x, 8, x + 1, 24))
            lastInk = x;
    EXPECT_GE(lastInk, 800 - 10 - 3);
    EXPECT_LT(lastInk, 800 - 10);
    game.settings.showFPS = false;
}

// On a 3840 x 2160 picture the HUD is the classic one at 3.6 times the size:
// made from the art drawn at 4x, the instrument row where the classic one's
// would be scaled about the bottom middle, the texts as tall, and the frame
// counter at its margin from the right edge.
TEST_F(Hud, At2160pTheHudIsTheClassicOneAtThePicturesScale)
{
    game.settings.showFPS = true;
    game.fpsValue = 60;
    game.damage = 20, game.fuel = 40;
    drawHud(0);
    BITMAP *classic = create_bitmap(800, 600);
    blit(game.backBuffer, classic, 0, 0, 0, 0, 800, 600);
    int classicSpeedo = game.bitmaps.speedo->w;

    destroyZBuffer();
    destroy_bitmap(game.backBuffer);
    game.backBuffer = create_bitmap(3840, 2160);
    ASSERT_TRUE(createZBuffer(game.backBuffer));
    loadBitmaps();
    ASSERT_EQ(4, game.artSize);
    ASSERT_NE(nullptr, game.bitmaps.speedo);
    EXPECT_EQ((int)lroundf(3.6f * classicSpeedo), game.bitmaps.speedo->w);
    clear_to_color(game.backBuffer, paper);
    drawHud(0);

    // The classic instrument row, from the altimeter to the fuel gauge, pixel
    // by pixel against the large one's pixel at the same place scaled.
    int near = 0, all = 0;
    for (int y = 470; y < 600; y += 2)
        for (int x = 240; x < 720; x += 2, all++) {
            int c = getpixel(classic, x, y);
            int big = getpixel(game.backBuffer, (int)(1920 + (x - 400 + 0.5) * 3.6),
                               (int)(2160 - (600 - y - 0.5) * 3.6));
            near += abs(getr(c) - getr(big)) < 48 && abs(getg(c) - getg(big)) < 48 &&
                    abs(getb(c) - getb(big)) < 48;
        }
    EXPECT_GT(near, all * 85 / 100) << near << " of " << all;
    destroy_bitmap(classic);

    // "Score 0" as tall as 12 classic pixels scaled, at the scaled margin.
    int white = makecol(255, 255, 255), firstRow = -1, lastRow = -1;
    for (int y = 0; y < 120; y++)
        if (count(white, 0, y, 400, y + 1)) {
            lastRow = y;
            firstRow = firstRow < 0 ? y : firstRow;
        }
    EXPECT_GE(firstRow, 36);
    EXPECT_GT(lastRow - firstRow, 24) << "the text at the picture's scale";
    int lastInk = 0;
    for (int x = 3000; x < 3840; x++)
        if (count(white, x, 20, x + 1, 90))
            lastInk = x;
    EXPECT_GE(lastInk, 3840 - 36 - 12);
    EXPECT_LT(lastInk, 3840 - 36) << "the frame counter keeps its margin from the right edge";
    EXPECT_EQ(0, changed(0, 400, 3840, 900)) << "nothing strays into the view above the row";
    game.settings.showFPS = false;
}

// A blip is one black pixel, for active enemies nearer than 750 units.
TEST_F(Hud, RadarShowsActiveEnemiesInsideItsRangeOnly)
{
    ASSERT_TRUE(setupEnemies());
    for (int n = 0; n < game.enemyCount; n++)
        game.enemies[n].state = EnemyGone;
    int cx = 400, cy = 600 - game.bitmaps.radarDir->h / 2;
    int black = makecol(0, 0, 0);
    float s = game.bitmaps.radar->h / 2.0f / 750;
    auto spot = [&](float east, float north) {  // where an enemy so far off shows
        return getpixel(game.backBuffer, (int)(cx + s * east), (int)(cy - s * north));
    };
    drawHud(1);
    int edge = spot(450, 600), inside = spot(300, 0);  // 750 and 300 units away
    ASSERT_NE(black, edge);
    ASSERT_NE(black, inside);
    Enemy &e = game.enemies[0];
    auto place = [&](float east, float north, int state) {
        for (Quad *cube : e.cubes)
            cube->transform.x = game.craft.x + east, cube->transform.z = game.craft.z + north;
        e.state = state;
        drawHud(1);
    };
    place(450, 600, EnemyActive);
    EXPECT_EQ(edge, spot(450, 600)) << "exactly 750 away: no blip";
    place(300, 0, EnemyExploding);
    EXPECT_EQ(inside, spot(300, 0)) << "an exploding enemy: no blip";
    place(300, 0, EnemyActive);
    EXPECT_EQ(black, spot(300, 0));
}

// Below 20 the warning blinks, a second on and a second off, with a beep at
// each change; at 20 there is none, and an empty tank says so without a beep.
TEST_F(Hud, BelowTwentyTheFuelWarningBlinksWithABeep)
{
    ASSERT_TRUE(loadSounds());
    int low = makecol(180, 0, 0), red = makecol(255, 0, 0);
    uint32_t cues = game.samples.cuesSounded;
    auto draw = [&](float fuel, uint32_t later) {  // a tick that much game time later
        game.fuel = fuel;
        game.gameMs += later;
        hudTick();
        clear_to_color(game.backBuffer, paper);
        drawHud(0);
    };
    draw(100, 0);
    int shown = 0;
    for (int second = 0; second < 2; second++) {
        draw(19.9f, 1001);
        shown += count(low, 0, 70, 800, 100) > 100;
    }
    EXPECT_EQ(1, shown) << "on one second, off the next";
    EXPECT_EQ(2u, game.samples.cuesSounded - cues);
    draw(19.9f, 500);
    draw(20, 1001);
    EXPECT_EQ(0, count(low, 0, 70, 800, 100));
    draw(0, 1001);
    EXPECT_EQ(0, count(low, 0, 70, 800, 100));
    EXPECT_GT(count(red, 0, 70, 800, 100), 100) << "Out of Fuel";
    EXPECT_EQ(2u, game.samples.cuesSounded - cues) << "no beep but at a change below 20";
    freeSounds();
}

}  // namespace
