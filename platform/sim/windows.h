// What a host test sees of the simulated window system.
//
// The program's user interface runs on a simulated thread (a test starts it with CreateThread,
// running a modal dialog or the application's entry). The test's own thread reads the settled
// state with the Win32 calls that read it on Windows (a message it sends is handled on the
// window's thread), what only the simulation keeps with the functions below, and acts as a
// person would with window messages (tests/support/Input.h), after which the world settles (see
// sim.h). Texts are the bytes the program would read with the ANSI calls: code page 932.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <string>
#include <vector>

namespace sim {

// ---- the program's resources
// The generated source of res/ hands the compiled resource script over at start; FindResourceA,
// LoadIconA and the dialog calls read from it. Returns true.
bool SetModuleResources(const void* pRes, size_t nBytes);

// ---- what only the simulation shows (on a settled world)
HWND Focus();       // the focus of the foreground thread; nullptr when nothing has it
HWND Foreground();  // the active window of that thread
std::vector<UINT> TimerPeriods(HWND hwnd);

// Whether the window's thread would answer a person at once: it waits for input in a message
// loop (GetMessageA). While it is anywhere else (inside a device call, a sleep, a
// wait for another thread) keys and clicks wait in its queue.
bool Answers(HWND hwnd);

struct MessageBoxRecord
{
    HWND hwndOwner = nullptr;
    std::string text;
    std::string caption;
    UINT nType = 0;
    bool bOpen = false;
    int nAnswer = 0;  // what MessageBoxA returned, once answered
};
// Every message box since the world was last reset, in order.
std::vector<MessageBoxRecord> MessageBoxes();

struct DrawIconRecord
{
    HWND hwnd = nullptr;  // the window of the device context
    int x = 0;
    int y = 0;
    HICON hIcon = nullptr;
    bool bInPaint = false;  // drawn between BeginPaint and EndPaint
};
std::vector<DrawIconRecord> DrawnIcons();

// ---- the system
// The end of the session (logoff or shutdown; nReason as WM_ENDSESSION's lParam, 0 for a
// shutdown) as Windows runs it: WM_QUERYENDSESSION is sent to each top-level window in turn,
// the topmost first, until one answers FALSE; then WM_ENDSESSION, TRUE when every window let
// the session end, to each window that was asked. Each is handled on the window's thread inside
// its next message call, and waited for (the clock moves meanwhile when nothing else can run).
// Returns whether the session ends. Windows then ends the process without another message, so
// what the program has not done by now (a file written, a device closed) it never does: a test
// reads that at once, and then ends the program as any test does.
bool EndSession(LPARAM nReason);

}  // namespace sim
