// The end of the Windows session: the system's two messages to every top-level window, sent
// from the test's thread, which stands for the system.
#include "platform/sim/windows/WindowSystem.h"

bool sim::EndSession(LPARAM nReason)
{
    std::vector<HWND> topLevel;
    for (HWND h = GetWindow(GetDesktopWindow(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        topLevel.push_back(h);
    std::vector<HWND> asked;
    bool bEnds = true;
    for (HWND hwnd : topLevel) {
        if (!IsWindow(hwnd))
            continue;
        asked.push_back(hwnd);
        // Sent from another thread, each is handled on the window's own thread.
        if (!SendMessageA(hwnd, WM_QUERYENDSESSION, 0, nReason)) {
            bEnds = false;
            break;
        }
    }
    for (HWND hwnd : asked)
        if (IsWindow(hwnd))
            SendMessageA(hwnd, WM_ENDSESSION, bEnds, nReason);
    Settle();
    return bEnds;
}
