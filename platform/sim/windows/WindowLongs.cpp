// Window longs: the styles, the user data, the window procedure, and the class's extra bytes
// (a dialog keeps its procedure and result there).
#include "platform/sim/windows/WindowSystem.h"

#include <cstring>
#include <string>
#include <utility>

using sim::Lock;
using sim::SetError;
using sim::World;

using namespace sim::win;

namespace {

bool ExtraRange(Lock& lk, Window& win, INT nIndex, size_t nSize)
{
    if (nIndex >= 0 && static_cast<size_t>(nIndex) + nSize <= win.extra.size())
        return true;
    SetError(lk, ERROR_INVALID_INDEX);
    return false;
}

LONG_PTR GetLong(HWND hwnd, INT nIndex, size_t nSize)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return 0;
    switch (nIndex) {
        case GWL_STYLE:
            return p->nStyle;
        case GWL_EXSTYLE:
            return p->nExStyle;
        case GWLP_USERDATA:
            return p->nUserData;
        default:
            break;
    }
    if (nIndex < 0) {
        w.Misuse("GetWindowLong of index " + std::to_string(nIndex) + ", which is not simulated");
        return 0;
    }
    if (!ExtraRange(lk, *p, nIndex, nSize))
        return 0;
    // nSize bytes, the low ones of a LONG_PTR on a little-endian machine.
    LONG_PTR n = 0;
    std::memcpy(&n, &p->extra[static_cast<size_t>(nIndex)], nSize);
    return n;
}

LONG_PTR SetLong(HWND hwnd, INT nIndex, LONG_PTR nValue)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return 0;
    switch (nIndex) {
        case GWLP_USERDATA:
            return std::exchange(p->nUserData, nValue);
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(
                std::exchange(p->pfnProc, reinterpret_cast<WNDPROC>(nValue)));
        default:
            break;
    }
    if (nIndex < 0) {
        w.Misuse("SetWindowLong of index " + std::to_string(nIndex) + ", which is not simulated");
        return 0;
    }
    if (!ExtraRange(lk, *p, nIndex, sizeof nValue))
        return 0;
    LONG_PTR nOld;
    std::memcpy(&nOld, &p->extra[static_cast<size_t>(nIndex)], sizeof nOld);
    std::memcpy(&p->extra[static_cast<size_t>(nIndex)], &nValue, sizeof nValue);
    return nOld;
}

}  // namespace

LONG WINAPI GetWindowLongA(HWND hwnd, INT nIndex)
{
    return static_cast<LONG>(GetLong(hwnd, nIndex, sizeof(LONG)));
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, INT nIndex)
{
    return GetLong(hwnd, nIndex, sizeof(LONG_PTR));
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, INT nIndex, LONG_PTR nValue)
{
    return SetLong(hwnd, nIndex, nValue);
}
