// The calls that reach a dialog's controls by their ids.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

using namespace sim::win;

INT WINAPI GetDlgCtrlID(HWND hwnd)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    return p && (p->nStyle & WS_CHILD) ? static_cast<INT>(p->nId) : 0;
}

HWND WINAPI GetDlgItem(HWND hwndDialog, INT nId)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwndDialog);
    if (!p)
        return nullptr;
    for (HWND h : p->children)
        if (Window* pChild = Find(lk, h); pChild && static_cast<INT>(pChild->nId) == nId)
            return h;
    SetError(lk, ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}
