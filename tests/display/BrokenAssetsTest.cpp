// Every asset in turn missing, cut short or replaced by garbage: a bitmap is
// left out of a HUD that still draws, the font and each sample stop start-up
// with their own error, and nothing crashes.
#include <allegro.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "GameScreen.h"
#include "Std/3D.h"
#include "Std/Errors.h"
#include "Std/Platform.h"
#include "Zephyrion/City.h"
#include "Zephyrion/GameState.h"
#include "Zephyrion/Graphics.h"
#include "Zephyrion/Menu.h"
#include "Zephyrion/Hud.h"
#include "Zephyrion/Intro.h"
#include "Zephyrion/Title.h"
#include "Zephyrion/Zephyrion.h"
#include "text/Ttf.h"

namespace {

enum Damage { Missing, CutShort, Garbage };
const Damage damages[] = {Missing, CutShort, Garbage};
const char *const damageNames[] = {"missing", "cut short", "garbage"};

void spoil(const Scratch &dir, const std::string &name, Damage how)
{
    std::string path = dir.file(name);
    if (how == Missing) {
        std::filesystem::remove(path);
        return;
    }
    std::string bytes = dir.read(name);
    if (how == CutShort) {
        bytes.resize(bytes.size() / 2);
    } else {
        unsigned seed = 99;
        for (char &c : bytes) {
            seed = seed * 1103515245 + 12345;
            c = (char)(seed >> 16);
        }
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class BrokenAssets : public GameScreen {
  protected:
    void SetUp() override
    {
        GameScreen::SetUp();
        game.settings = Settings();
        game.settings.frameRate = 1000;
    }
    void TearDown() override
    {
        freeSounds();
        freeGraphics();
        closeLogs();
    }
    void restore(const std::string &name)
    {
        std::filesystem::copy_file(std::string(RUNTIME_DIR) + "/" + name, dir.file(name),
                                   std::filesystem::copy_options::overwrite_existing);
    }
};

TEST_F(BrokenAssets, ABrokenBitmapIsLeftOutOfAHudThatStillDraws)
{
    const char *const bitmaps[] = {"Radar",    "RadarDir", "Speedo",   "Pitch",    "Torque",
                                   "Altimeter", "Crosshair", "Damage", "Fuel",     "HUDBar",
                                   "LifeInd",  "EnemyInd", "FuelDir",  "ZephyrionLogo"};
    game.lives = 3, game.enemiesRemaining = 4;
    for (const char *bitmap : bitmaps)
        for (Damage how : damages) {
            std::string name = std::string("bitmaps/") + bitmap + ".png";
            spoil(dir, name, how);
            ASSERT_TRUE(loadGraphics()) << name << " " << damageNames[how];
            buildCity();
            resetTitleCamera();
            drawTitleCity();
            drawTitleLogo();
            drawHud(0);
            drawHud(1);
            freeCity();
            freeGraphics();
            restore(name);
        }
    closeLogs();
    std::string log = dir.read("ErrorLog.txt");
    EXPECT_NE(std::string::npos, log.find("WRN:0700:Zephyrion.cpp - Unable to load "
                                          "bitmaps/Radar.png; the game goes on without it"));
    EXPECT_EQ(std::string::npos, log.find("ERR:"));
}

TEST_F(BrokenAssets, ABrokenFontStopsTheGraphicsWithItsLine)
{
    for (Damage how : damages) {
        spoil(dir, "bitmaps/chintzy.ttf", how);
        errorLogFresh = true;
        if (loadGraphics()) {  // a face FreeType could still read must still draw
            ttf_set_height(game.gameFont, 24);
            ttf_draw_text(game.backBuffer, game.gameFont, "Zephyrion 0123", 10, 10,
                          makecol(255, 255, 255));
        } else {
            closeLogs();
            EXPECT_NE(std::string::npos,
                      dir.read("ErrorLog.txt")
                          .find("ERR:0688:Zephyrion.cpp - Unable to load bitmaps/chintzy.ttf"))
                << damageNames[how];
        }
        EXPECT_TRUE(how == CutShort || game.gameFont == nullptr) << damageNames[how];
        freeGraphics();
        restore("bitmaps/chintzy.ttf");
    }
}

TEST_F(BrokenAssets, ABrokenSampleStopsTheSoundsOrPlaysShort)
{
    ASSERT_TRUE(loadGraphics());
    for (int n = 2; n <= 17; n++) {
        if (n == 15 || n == 16)
            continue;  // the intro's own
        char name[32];
        snprintf(name, sizeof name, "sounds/%.3d.wav", n);
        for (Damage how : damages) {
            spoil(dir, name, how);
            bool loaded = loadSounds();
            if (how == Missing) {
                EXPECT_FALSE(loaded) << name;
            }
            if (loaded) {  // what did load plays, however short
                const Samples &s = game.samples;
                for (SAMPLE *sample : {s.engine, s.crashDive, s.crashExplosion, s.fireBeam,
                                       s.logoEntrance, s.beamOnBuilding, s.buildingDestroyed,
                                       s.enemyHit, s.explosionEnd, s.refusal, s.ram, s.lowFuel,
                                       s.briefing, s.refuel})
                    playSample(sample, soundFullVolume, soundCentre, soundOwnPitch, false);
                restMs(20);
            }
            freeSounds();
            restore(name);
        }
    }
}

// A damaged picture is left out and the intro plays on. A damaged sample
// that does not load ends it before its first frame (garbage never loads);
// one that loads, however short, plays through.
TEST_F(BrokenAssets, ABrokenIntroFileEndsTheIntroOrIsLeftOut)
{
    ASSERT_TRUE(loadGraphics());
    for (std::string name : {"sounds/001.wav", "sounds/015.wav", "sounds/016.wav",
                             "bitmaps/Intro.png", "bitmaps/LoadScreen.png"})
        for (Damage how : {CutShort, Garbage}) {
            spoil(dir, name, how);
            IntroRun run;
            bool ran = playIntro(run);
            restore(name);
            bool picture = name.rfind("bitmaps/", 0) == 0;
            std::string what = name + " " + damageNames[how];
            if (picture || how == Garbage) {
                EXPECT_EQ(picture, ran) << what;
            }
            EXPECT_EQ(ran ? 300 : 0, run.stripeFrames) << what;
            EXPECT_EQ(ran ? 50 : 0, run.spinFrames) << what;
        }
}

}  // namespace
