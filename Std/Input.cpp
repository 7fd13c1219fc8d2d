// The keyboard, the mouse and the window's reports. See Input.h.
#include "Std/Input.h"

#include <allegro.h>
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include "Std/Display.h"
#include "Std/Errors.h"
#include "Std/Gamepad.h"
#include "Std/Screenshot.h"

static const int queueLength = 64;  // presses waiting; more are dropped, as a keyboard's buffer does

// Allegro's key numbers at SDL's scancodes: a key is known by its place on the
// keyboard, so that a binding means the same key on every layout.
static const struct {
    SDL_Scancode scancode;
    int key;
} keyTable[] = {
    {SDL_SCANCODE_A, KEY_A}, {SDL_SCANCODE_B, KEY_B}, {SDL_SCANCODE_C, KEY_C},
    {SDL_SCANCODE_D, KEY_D}, {SDL_SCANCODE_E, KEY_E}, {SDL_SCANCODE_F, KEY_F},
    {SDL_SCANCODE_G, KEY_G}, {SDL_SCANCODE_H, KEY_H}, {SDL_SCANCODE_I, KEY_I},
    {SDL_SCANCODE_J, KEY_J}, {SDL_SCANCODE_K, KEY_K}, {SDL_SCANCODE_L, KEY_L},
    {SDL_SCANCODE_M, KEY_M}, {SDL_SCANCODE_N, KEY_N}, {SDL_SCANCODE_O, KEY_O},
    {SDL_SCANCODE_P, KEY_P}, {SDL_SCANCODE_Q, KEY_Q}, {SDL_SCANCODE_R, KEY_R},
    {SDL_SCANCODE_S, KEY_S}, {SDL_SCANCODE_T, KEY_T}, {SDL_SCANCODE_U, KEY_U},
    {SDL_SCANCODE_V, KEY_V}, {SDL_SCANCODE_W, KEY_W}, {SDL_SCANCODE_X, KEY_X},
    {SDL_SCANCODE_Y, KEY_Y}, {SDL_SCANCODE_Z, KEY_Z},
    {SDL_SCANCODE_0, KEY_0}, {SDL_SCANCODE_1, KEY_1}, {SDL_SCANCODE_2, KEY_2},
    {SDL_SCANCODE_3, KEY_3}, {SDL_SCANCODE_4, KEY_4}, {SDL_SCANCODE_5, KEY_5},
    {SDL_SCANCODE_6, KEY_6}, {SDL_SCANCODE_7, KEY_7}, {SDL_SCANCODE_8, KEY_8},
    {SDL_SCANCODE_9, KEY_9},
    {SDL_SCANCODE_KP_0, KEY_0_PAD}, {SDL_SCANCODE_KP_1, KEY_1_PAD}, {SDL_SCANCODE_KP_2, KEY_2_PAD},
    {SDL_SCANCODE_KP_3, KEY_3_PAD}, {SDL_SCANCODE_KP_4, KEY_4_PAD}, {SDL_SCANCODE_KP_5, KEY_5_PAD},
    {SDL_SCANCODE_KP_6, KEY_6_PAD}, {SDL_SCANCODE_KP_7, KEY_7_PAD}, {SDL_SCANCODE_KP_8, KEY_8_PAD},
    {SDL_SCANCODE_KP_9, KEY_9_PAD},
    {SDL_SCANCODE_F1, KEY_F1}, {SDL_SCANCODE_F2, KEY_F2}, {SDL_SCANCODE_F3, KEY_F3},
    {SDL_SCANCODE_F4, KEY_F4}, {SDL_SCANCODE_F5, KEY_F5}, {SDL_SCANCODE_F6, KEY_F6},
    {SDL_SCANCODE_F7, KEY_F7}, {SDL_SCANCODE_F8, KEY_F8}, {SDL_SCANCODE_F9, KEY_F9},
    {SDL_SCANCODE_F10, KEY_F10}, {SDL_SCANCODE_F11, KEY_F11}, {SDL_SCANCODE_F12, KEY_F12},
    {SDL_SCANCODE_ESCAPE, KEY_ESC}, {SDL_SCANCODE_GRAVE, KEY_TILDE},
    {SDL_SCANCODE_MINUS, KEY_MINUS}, {SDL_SCANCODE_EQUALS, KEY_EQUALS},
    {SDL_SCANCODE_BACKSPACE, KEY_BACKSPACE}, {SDL_SCANCODE_TAB, KEY_TAB},
    {SDL_SCANCODE_LEFTBRACKET, KEY_OPENBRACE}, {SDL_SCANCODE_RIGHTBRACKET, KEY_CLOSEBRACE},
    {SDL_SCANCODE_RETURN, KEY_ENTER}, {SDL_SCANCODE_SEMICOLON, KEY_SEMICOLON},
    {SDL_SCANCODE_APOSTROPHE, KEY_QUOTE}, {SDL_SCANCODE_BACKSLASH, KEY_BACKSLASH},
    {SDL_SCANCODE_NONUSBACKSLASH, KEY_BACKSLASH2}, {SDL_SCANCODE_NONUSHASH, KEY_BACKSLASH},
    {SDL_SCANCODE_COMMA, KEY_COMMA}, {SDL_SCANCODE_PERIOD, KEY_STOP},
    {SDL_SCANCODE_SLASH, KEY_SLASH}, {SDL_SCANCODE_SPACE, KEY_SPACE},
    {SDL_SCANCODE_INSERT, KEY_INSERT}, {SDL_SCANCODE_DELETE, KEY_DEL},
    {SDL_SCANCODE_HOME, KEY_HOME}, {SDL_SCANCODE_END, KEY_END},
    {SDL_SCANCODE_PAGEUP, KEY_PGUP}, {SDL_SCANCODE_PAGEDOWN, KEY_PGDN},
    {SDL_SCANCODE_LEFT, KEY_LEFT}, {SDL_SCANCODE_RIGHT, KEY_RIGHT},
    {SDL_SCANCODE_UP, KEY_UP}, {SDL_SCANCODE_DOWN, KEY_DOWN},
    {SDL_SCANCODE_KP_DIVIDE, KEY_SLASH_PAD}, {SDL_SCANCODE_KP_MULTIPLY, KEY_ASTERISK},
    {SDL_SCANCODE_KP_MINUS, KEY_MINUS_PAD}, {SDL_SCANCODE_KP_PLUS, KEY_PLUS_PAD},
    {SDL_SCANCODE_KP_PERIOD, KEY_DEL_PAD}, {SDL_SCANCODE_KP_ENTER, KEY_ENTER_PAD},
    {SDL_SCANCODE_PRINTSCREEN, KEY_PRTSCR}, {SDL_SCANCODE_PAUSE, KEY_PAUSE},
    {SDL_SCANCODE_INTERNATIONAL1, KEY_ABNT_C1}, {SDL_SCANCODE_INTERNATIONAL3, KEY_YEN},
    {SDL_SCANCODE_INTERNATIONAL2, KEY_KANA}, {SDL_SCANCODE_INTERNATIONAL4, KEY_CONVERT},
    {SDL_SCANCODE_INTERNATIONAL5, KEY_NOCONVERT}, {SDL_SCANCODE_KP_EQUALS, KEY_EQUALS_PAD},
    {SDL_SCANCODE_LSHIFT, KEY_LSHIFT}, {SDL_SCANCODE_RSHIFT, KEY_RSHIFT},
    {SDL_SCANCODE_LCTRL, KEY_LCONTROL}, {SDL_SCANCODE_RCTRL, KEY_RCONTROL},
    {SDL_SCANCODE_LALT, KEY_ALT}, {SDL_SCANCODE_RALT, KEY_ALTGR},
    {SDL_SCANCODE_LGUI, KEY_LWIN}, {SDL_SCANCODE_RGUI, KEY_RWIN},
    {SDL_SCANCODE_APPLICATION, KEY_MENU}, {SDL_SCANCODE_SCROLLLOCK, KEY_SCRLOCK},
    {SDL_SCANCODE_NUMLOCKCLEAR, KEY_NUMLOCK}, {SDL_SCANCODE_CAPSLOCK, KEY_CAPSLOCK},
};

struct InputState {
    bool held[KEY_MAX];         // by Allegro's key number
    int queue[queueLength];     // presses, key << 8 | character, oldest at first
    int first, count;           // where the oldest waits, and how many
    int lastPress;              // the queue's place of the last press from a keyboard, -1 none
    int mouseDx, mouseDy;       // motion since the last ask, counts
    int buttons;                // held: 1 left, 2 right, 4 middle
};

static InputState input = {{}, {}, 0, 0, -1, 0, 0, 0};

int keyAtScancode(int scancode)
{
    for (const auto &entry : keyTable)
        if (entry.scancode == scancode)
            return entry.key;
    return 0;
}

const char *keyLabel(int key)
{
    for (const auto &entry : keyTable)
        if (entry.key == key) {
            const char *name = SDL_GetKeyName(SDL_GetKeyFromScancode(entry.scancode));
            if (!name || !*name)
                name = SDL_GetScancodeName(entry.scancode);
            return name && *name ? name : nullptr;
        }
    return nullptr;
}

bool keyHeld(int key)
{
    return key > 0 && key < KEY_MAX && input.held[key];
}

bool shiftsHeld()
{
    static const int shifts[] = {KEY_LSHIFT, KEY_RSHIFT, KEY_LCONTROL, KEY_RCONTROL, KEY_ALT,
                                 KEY_ALTGR};
    for (int key : shifts)
        if (input.held[key])
            return true;
    return false;
}

bool keyWaiting()
{
    return input.count > 0;
}

int nextKey()
{
    if (!input.count)
        return 0;
    int press = input.queue[input.first];
    input.first = (input.first + 1) % queueLength;
    input.count--;
    input.lastPress = -1;
    return press;
}

void clearKeys()
{
    input.first = input.count = 0;
    input.lastPress = -1;
}

// Returns the press's place in the queue, -1 when the queue is full.
static int queuePress(int key, int character)
{
    if (input.count == queueLength)
        return -1;
    int at = (input.first + input.count) % queueLength;
    input.queue[at] = key << 8 | (character & 0xff);
    input.count++;
    return at;
}

void pressKey(int key, int character)
{
    queuePress(key, character);
    input.lastPress = -1;
}

void holdKey(int key, bool down)
{
    if (key > 0 && key < KEY_MAX)
        input.held[key] = down;
}

void releaseKeys()
{
    for (bool &held : input.held)
        held = false;
    clearKeys();
    input.buttons = 0;
    input.mouseDx = input.mouseDy = 0;
}

void mouseMotion(int &dx, int &dy)
{
    dx = input.mouseDx, dy = input.mouseDy;
    input.mouseDx = input.mouseDy = 0;
}

int mouseButtons()
{
    return input.buttons;
}

void captureMouse(bool on)
{
    static bool refusalSaid = false;  // once a run: it is asked for at every flight
    if ((SDL_GetRelativeMouseMode() == SDL_TRUE) == on)
        return;
    if (SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) != 0 && on && !refusalSaid) {
        refusalSaid = true;
        logError(__LINE__, __FILE__, SevWarning,
                 "The pointer cannot be held in the window (%s): the mouse steers while it is over it",
                 SDL_GetError());
    }
}

// The character of keys that type none through text input, as readkey gave them.
static int controlCharacter(int key)
{
    switch (key) {
    case KEY_ENTER:
    case KEY_ENTER_PAD:
        return '\r';
    case KEY_BACKSPACE:
        return 8;
    case KEY_TAB:
        return '\t';
    case KEY_ESC:
        return 27;
    default:
        return 0;
    }
}

static void keyDown(const SDL_KeyboardEvent &event)
{
    int key = keyAtScancode(event.keysym.scancode);
    bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    if (key == KEY_F11 || (alt && (key == KEY_ENTER || key == KEY_ENTER_PAD))) {
        if (!event.repeat)
            askDisplaySwitch();  // the display's own keys: the game never sees them
        return;
    }
    if (key == KEY_F12) {
        if (!event.repeat)
            askScreenshot();  // the game never sees it either
        return;
    }
    if (!key)
        return;
    input.held[key] = true;
    input.lastPress = queuePress(key, controlCharacter(key));
}

// A character typed belongs to the key pressed just before it.
static void textTyped(const char *text)
{
    unsigned char c = (unsigned char)text[0];
    if (input.lastPress < 0 || c < ' ' || c > '~' || text[1])
        return;  // only plain ASCII fits readkey's byte
    input.queue[input.lastPress] = (input.queue[input.lastPress] & ~0xff) | c;
    input.lastPress = -1;
}

static int buttonBit(int button)
{
    return button == SDL_BUTTON_LEFT ? 1 : button == SDL_BUTTON_RIGHT ? 2
           : button == SDL_BUTTON_MIDDLE ? 4 : 0;
}

static void windowEvent(const SDL_WindowEvent &event)
{
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
        // Keys held as the focus went are let go: their release goes elsewhere.
        for (bool &held : input.held)
            held = false;
        input.buttons = 0;
        noteFocusLost();
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_EXPOSED:
        noteWindowChanged();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        noteCloseButton();
        break;
    }
}

void pumpInput()
{
    if (!SDL_WasInit(SDL_INIT_EVENTS))
        return;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            keyDown(event.key);
            break;
        case SDL_KEYUP: {
            int key = keyAtScancode(event.key.keysym.scancode);
            if (key)
                input.held[key] = false;
            break;
        }
        case SDL_TEXTINPUT:
            textTyped(event.text.text);
            break;
        case SDL_MOUSEMOTION:
            input.mouseDx += event.motion.xrel;
            input.mouseDy += event.motion.yrel;
            break;
        case SDL_MOUSEBUTTONDOWN:
            input.buttons |= buttonBit(event.button.button);
            break;
        case SDL_MOUSEBUTTONUP:
            input.buttons &= ~buttonBit(event.button.button);
            break;
        case SDL_WINDOWEVENT:
            windowEvent(event.window);
            break;
        case SDL_QUIT:
            noteCloseButton();
            break;
        default: {
            int typed = padEventKey(event);
            if (typed)
                pressKey(typed >> 8, typed & 0xff);
        }
        }
    }
}
