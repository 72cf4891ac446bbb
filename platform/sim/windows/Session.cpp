// The end of the Windows session: the system's two messages to every top-level window, sent
// from the test's thread, which stands for the system.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace {

LRESULT SendAsSystem(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    sim::win::Window* p = sim::win::Find(lk, hwnd);
    auto pThread = p ? w.FindThread(p->nThread) : nullptr;
    if (!pThread)
        return 0;
    return w.SendToThread(lk, *pThread, w.Stamped(hwnd, nMessage, wParam, lParam));
}

}  // namespace

bool sim::EndSession(LPARAM nReason)
{
    std::vector<HWND> asked;
    bool bEnds = true;
    for (HWND hwnd : TopLevelWindows()) {
        if (!Exists(hwnd))
            continue;
        asked.push_back(hwnd);
        if (!SendAsSystem(hwnd, WM_QUERYENDSESSION, 0, nReason)) {
            bEnds = false;
            break;
        }
    }
    for (HWND hwnd : asked)
        if (Exists(hwnd))
            SendAsSystem(hwnd, WM_ENDSESSION, bEnds, nReason);
    Settle();
    return bEnds;
}
