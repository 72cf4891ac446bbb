// The end of the Windows session: the system's two messages to every top-level window, sent
// from the test's thread, which stands for the system.
#include "platform/sim/windows/WindowSystem.h"

bool sim::EndSession(LPARAM nReason)
{
    std::vector<HWND> asked;
    bool bEnds = true;
    for (HWND hwnd : TopLevelWindows()) {
        if (!Exists(hwnd))
            continue;
        asked.push_back(hwnd);
        // Sent from another thread, each is handled on the window's own thread.
        if (!SendMessageA(hwnd, WM_QUERYENDSESSION, 0, nReason)) {
            bEnds = false;
            break;
        }
    }
    for (HWND hwnd : asked)
        if (Exists(hwnd))
            SendMessageA(hwnd, WM_ENDSESSION, bEnds, nReason);
    Settle();
    return bEnds;
}
