// The system's requests to end, on Windows: the end of the session, told to
// a hidden window of its own, and Ctrl+C or the closing of a console it was started
// from. See Platform.h.
#include "Std/Platform.h"

#include <windows.h>

#include <atomic>

// Windows ends a program once it has answered the end of the session; the
// answer waits this long at most for the game to have saved.
static const DWORD saveWaitMs = 4000;
static const DWORD saveWaitStepMs = 20;

static std::atomic<bool> signalled{false};
static std::atomic<bool> served{false};

static void askAndWait()
{
    signalled = true;
    for (DWORD waited = 0; !served && waited < saveWaitMs; waited += saveWaitStepMs)
        Sleep(saveWaitStepMs);
}

// The end of the session is told to every top-level window, each on its own
// thread: this hidden one has a thread of its own, so that it can wait for
// the game, whose thread keeps the game's window, to save.
static LRESULT CALLBACK onSessionMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_QUERYENDSESSION) {
        signalled = true;
        return TRUE;  // the game does not hold up the end of the session
    }
    if (message == WM_ENDSESSION) {
        if (wparam)
            askAndWait();
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

static DWORD WINAPI watchSession(void *)
{
    WNDCLASSW type = {};
    type.lpfnWndProc = onSessionMessage;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = L"ZephyrionSession";
    if (!RegisterClassW(&type))
        return 1;
    if (!CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                         type.hInstance, nullptr))
        return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}

// Runs on a thread of its own; the program ends when it returns, but for Ctrl+C.
static BOOL WINAPI onConsoleEvent(DWORD)
{
    askAndWait();
    return TRUE;
}

void watchQuitSignals()
{
    HANDLE thread = CreateThread(nullptr, 0, watchSession, nullptr, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

bool quitSignalled()
{
    return signalled;
}

void quitServed()
{
    served = true;
}
