// The keys as SDL reports them reach the game as Allegro's key numbers, which
// the settings keep: held, queued with their characters, and let go.
#include "Std/Input.h"

#include <allegro.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>

namespace {

class Input : public ::testing::Test {
  protected:
    void SetUp() override
    {
        ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_EVENTS)) << SDL_GetError();
        releaseKeys();
    }
    void TearDown() override
    {
        releaseKeys();
        SDL_QuitSubSystem(SDL_INIT_EVENTS);
    }
    static void key(SDL_Scancode scancode, bool down, Uint16 mod = KMOD_NONE)
    {
        SDL_Event event = {};
        event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.keysym.scancode = scancode;
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }
    static void typed(const char *text)
    {
        SDL_Event event = {};
        event.type = SDL_TEXTINPUT;
        strncpy(event.text.text, text, sizeof event.text.text - 1);
        SDL_PushEvent(&event);
    }
};

// The default bindings of "Zephyrion.cfg" (82 to 85, 80, 81, 79, 75) and the
// keys around them keep their numbers; every key number a binding can hold
// is reached from one place on the keyboard, and no two keys share one.
TEST_F(Input, EveryKeyKeepsItsAllegroNumber)
{
    const std::map<SDL_Scancode, int> stored = {
        {SDL_SCANCODE_LEFT, 82},   {SDL_SCANCODE_RIGHT, 83},    {SDL_SCANCODE_UP, 84},
        {SDL_SCANCODE_DOWN, 85},   {SDL_SCANCODE_PAGEUP, 80},   {SDL_SCANCODE_PAGEDOWN, 81},
        {SDL_SCANCODE_END, 79},    {SDL_SCANCODE_SPACE, 75},    {SDL_SCANCODE_A, 1},
        {SDL_SCANCODE_Z, 26},      {SDL_SCANCODE_0, 27},        {SDL_SCANCODE_9, 36},
        {SDL_SCANCODE_KP_0, 37},   {SDL_SCANCODE_F1, 47},       {SDL_SCANCODE_F10, 56},
        {SDL_SCANCODE_ESCAPE, 59}, {SDL_SCANCODE_RETURN, 67},   {SDL_SCANCODE_KP_ENTER, 91},
        {SDL_SCANCODE_PAUSE, 93},  {SDL_SCANCODE_LSHIFT, 115},  {SDL_SCANCODE_RCTRL, 118},
        {SDL_SCANCODE_LALT, 119},  {SDL_SCANCODE_CAPSLOCK, 126}, {SDL_SCANCODE_SEMICOLON, 105},
    };
    for (const auto &k : stored) {
        key(k.first, true);
        pumpInput();
        EXPECT_TRUE(keyHeld(k.second)) << SDL_GetScancodeName(k.first);
        EXPECT_EQ(k.second, nextKey() >> 8) << SDL_GetScancodeName(k.first);
        key(k.first, false);
        pumpInput();
        EXPECT_FALSE(keyHeld(k.second)) << SDL_GetScancodeName(k.first);
    }

    // Allegro's numbers with no key of their own on a PC keyboard.
    const int none[] = {KEY_COLON,  KEY_AT,      KEY_CIRCUMFLEX, KEY_COLON2, KEY_KANJI,
                        KEY_BACKQUOTE, KEY_COMMAND, KEY_UNKNOWN1, KEY_UNKNOWN2, KEY_UNKNOWN3,
                        KEY_UNKNOWN4, KEY_UNKNOWN5, KEY_UNKNOWN6, KEY_UNKNOWN7, KEY_UNKNOWN8};
    std::map<int, int> places;  // key number: scancodes that give it
    for (int s = 0; s < SDL_NUM_SCANCODES; s++)
        if (int k = keyAtScancode(s))
            places[k]++;
    for (int k = 1; k < KEY_MAX; k++) {
        bool unplaced = std::find(std::begin(none), std::end(none), k) != std::end(none);
        int expected = unplaced ? 0 : k == KEY_BACKSLASH ? 2 : 1;  // the ISO keyboard's # too
        EXPECT_EQ(expected, places[k]) << "key number " << k;
    }
}

// Each press waits with the character it typed, as readkey gave them; the
// display's own keys go no further; a lost focus lets every key go.
TEST_F(Input, PressesQueueWithTheirCharactersAndTheDisplaysKeysStayOut)
{
    key(SDL_SCANCODE_Q, true);
    typed("q");
    key(SDL_SCANCODE_Q, false);
    key(SDL_SCANCODE_RETURN, true);
    key(SDL_SCANCODE_RETURN, false);
    key(SDL_SCANCODE_RETURN, true, KMOD_LALT);  // Alt+Enter: full screen or window
    key(SDL_SCANCODE_F11, true);
    key(SDL_SCANCODE_F12, true);  // a screenshot
    key(SDL_SCANCODE_1, true);
    typed("!");  // with Shift
    pumpInput();
    EXPECT_EQ(KEY_Q << 8 | 'q', nextKey());
    EXPECT_EQ(KEY_ENTER << 8 | '\r', nextKey());
    EXPECT_EQ(KEY_1 << 8 | '!', nextKey());
    EXPECT_FALSE(keyWaiting()) << "Alt+Enter, F11 and F12 are the display's";
    EXPECT_FALSE(keyHeld(KEY_ENTER));
    EXPECT_FALSE(keyHeld(KEY_F11));
    EXPECT_FALSE(keyHeld(KEY_F12));
    EXPECT_TRUE(keyHeld(KEY_1));

    SDL_Event lost = {};
    lost.type = SDL_WINDOWEVENT;
    lost.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&lost);
    pumpInput();
    EXPECT_FALSE(keyHeld(KEY_1)) << "its release goes to another window";

    for (int i = 0; i < 100; i++)
        pressKey(KEY_A, 'a');
    int waiting = 0;
    while (nextKey())
        waiting++;
    EXPECT_EQ(64, waiting) << "a full queue drops what comes after";
}

}  // namespace
