// The window system under X. See WindowSystem.h.
#include "Std/WindowSystem.h"

#include <allegro.h>
#include <xalleg.h>

#include <X11/extensions/Xrandr.h>

// Whether w is the game's window or one of those around it.
static bool isGameWindow(Window w)
{
    return w != None && (w == _xwin.window || w == _xwin.wm_window || w == _xwin.fs_window);
}

// Whether w is the game's window or lies inside it.
static bool isInGameWindow(Window w)
{
    Window root, parent, *children;
    unsigned int count;
    for (Window at = w; at != None && at != PointerRoot;) {
        if (isGameWindow(at))
            return true;
        if (!XQueryTree(_xwin.display, at, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (at == root)
            return false;
        at = parent;
    }
    return false;
}

// The top-level window under the pointer, or None.
static Window windowUnderPointer()
{
    Window root = DefaultRootWindow(_xwin.display), rootOut, child = None;
    int rootX, rootY, x, y;
    unsigned int mask;
    XQueryPointer(_xwin.display, root, &rootOut, &child, &rootX, &rootY, &x, &y, &mask);
    return child;
}

bool windowHasKeyboard()
{
    if (!_xwin.display || !_xwin.window)
        return true;
    XLOCK();
    bool has = _xwin.keyboard_grabbed;
    if (!has) {
        Window focus;
        int revert;
        XGetInputFocus(_xwin.display, &focus, &revert);
        if (focus == PointerRoot)  // no window manager: the focus follows the pointer
            focus = windowUnderPointer();
        has = isInGameWindow(focus);
    }
    XUNLOCK();
    return has;
}

// The rate of the screen's current configuration, as RandR gives it.
int displayRefreshRate()
{
    if (!_xwin.display)
        return 0;
    XLOCK();
    int rate = 0, eventBase, errorBase;
    if (XRRQueryExtension(_xwin.display, &eventBase, &errorBase)) {
        XRRScreenConfiguration *config =
            XRRGetScreenInfo(_xwin.display, DefaultRootWindow(_xwin.display));
        if (config) {
            rate = XRRConfigCurrentRate(config);
            XRRFreeScreenConfigInfo(config);
        }
    }
    XUNLOCK();
    return rate;
}

void handleWindowReports()
{
    if (!_xwin.display)
        return;
    XLOCK();
    XSync(_xwin.display, False);
    XUNLOCK();
    _xwin_handle_input();
}

int fullScreenCard()
{
    return GFX_AUTODETECT_FULLSCREEN;
}

int windowCard()
{
    return GFX_AUTODETECT_WINDOWED;
}

// Allegro's X driver switches modes without a hitch.
bool keepsOneMode()
{
    return false;
}

bool shapeWindow(bool, int, int)
{
    return false;
}
