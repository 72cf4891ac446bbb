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

// The class's extra bytes at nIndex, or null: a negative index that is not simulated is misuse,
// one past the bytes a failure.
unsigned char* Extra(Lock& lk, Window& win, INT nIndex, size_t nSize, const char* pszCall)
{
    if (nIndex < 0) {
        World::Get().Misuse(std::string(pszCall) + " of index " + std::to_string(nIndex) +
                            ", which is not simulated");
        return nullptr;
    }
    if (static_cast<size_t>(nIndex) + nSize > win.extra.size()) {
        SetError(lk, ERROR_INVALID_INDEX);
        return nullptr;
    }
    return &win.extra[static_cast<size_t>(nIndex)];
}

LONG_PTR GetLong(HWND hwnd, INT nIndex, size_t nSize)
{
    Lock lk = World::Get().Acquire();
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
    // nSize bytes, the low ones of a LONG_PTR on a little-endian machine.
    LONG_PTR n = 0;
    if (const unsigned char* pExtra = Extra(lk, *p, nIndex, nSize, "GetWindowLong"))
        std::memcpy(&n, pExtra, nSize);
    return n;
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
    Lock lk = World::Get().Acquire();
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
    LONG_PTR nOld = 0;
    if (unsigned char* pExtra = Extra(lk, *p, nIndex, sizeof nValue, "SetWindowLong")) {
        std::memcpy(&nOld, pExtra, sizeof nOld);
        std::memcpy(pExtra, &nValue, sizeof nValue);
    }
    return nOld;
}
