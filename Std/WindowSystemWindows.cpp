// The window system on Windows. See WindowSystem.h.
#include "Std/WindowSystem.h"

#include <allegro.h>
#include <winalleg.h>

#include <algorithm>

// The frame of Allegro's own window, which a window keeps.
static const LONG framedStyle = WS_SYSMENU | WS_CAPTION | WS_MINIMIZEBOX;

int fullScreenCard()
{
    return GFX_DIRECTX_WIN;
}

int windowCard()
{
    return GFX_DIRECTX_WIN;
}

bool keepsOneMode()
{
    return true;
}

// Allegro's window shows the top left of the mode's picture, as much as
// its inside has room for.
bool shapeWindow(bool fullScreen, int w, int h)
{
    HWND window = win_get_window();
    if (!window)
        return false;
    LONG style = fullScreen ? WS_POPUP : framedStyle;
    RECT outer = {0, 0, w, h}, work;
    if (!fullScreen) {
        AdjustWindowRect(&outer, style, FALSE);
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        int x = work.left + (work.right - work.left - (outer.right - outer.left)) / 2;
        int y = work.top + (work.bottom - work.top - (outer.bottom - outer.top)) / 2;
        OffsetRect(&outer, std::max(x, (int)work.left) - outer.left,
                   std::max(y, (int)work.top) - outer.top);
    }
    SetWindowLong(window, GWL_STYLE, style | WS_VISIBLE);
    SetWindowPos(window, HWND_TOP, outer.left, outer.top, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    // The switch was the player's: the keys stay with the game.
    SetForegroundWindow(window);
    return true;
}

bool windowHasKeyboard()
{
    HWND window = win_get_window();
    return !window || GetForegroundWindow() == window;
}

int displayRefreshRate()
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof mode;
    if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode))
        return 0;
    // 0 and 1 stand for the hardware's default rate, which the system does not tell.
    return mode.dmDisplayFrequency > 1 ? (int)mode.dmDisplayFrequency : 0;
}

// Allegro's window thread handles the window's messages as they come.
void handleWindowReports() {}
