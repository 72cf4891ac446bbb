// The up-down control ("msctls_updown32", a common control). It asks its parent with
// UDN_DELTAPOS before every change a person makes, even at a bound, and a non-zero answer
// cancels the change; UDM_SETPOS from the program asks nobody and brings the position into the
// range. With UDS_SETBUDDYINT it shows the position in its buddy in decimal with the thousands
// separator (unless UDS_NOTHOUSANDS) and reads it back from there. It stands upright and stops
// at its bounds: UDS_HORZ and UDS_WRAP are not simulated.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cstdlib>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct UpDownData : ControlData
{
    int nMin = 100;  // the range of a new control runs from 100 down to 0
    int nMax = 0;
    int nPos = 0;
    HWND hwndBuddy = nullptr;
    HWND hwndNotify = nullptr;
};

LONG StyleOf(HWND hwnd)
{
    return GetWindowLongA(hwnd, GWL_STYLE);
}

int Clamp(const UpDownData& d, int n)
{
    return std::clamp(n, std::min(d.nMin, d.nMax), std::max(d.nMin, d.nMax));
}

std::string Format(int n, bool bThousands)
{
    std::string digits = std::to_string(n < 0 ? -static_cast<long long>(n) : n);
    if (bThousands)
        for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
            digits.insert(static_cast<size_t>(i), ",");
    return (n < 0 ? "-" : "") + digits;
}

// The number a buddy shows, as UDM_GETPOS reads it; false when it is no number of the range.
bool Parse(const std::string& text, int* pn)
{
    std::string s;
    for (char c : text)
        if (c != ',' && c != ' ')
            s += c;
    if (s.empty())
        return false;
    char* pEnd = nullptr;
    const long n = std::strtol(s.c_str(), &pEnd, 10);
    if (*pEnd)
        return false;
    *pn = static_cast<int>(n);
    return true;
}

void ShowInBuddy(HWND hwnd)
{
    HWND hwndBuddy = nullptr;
    std::string text;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* pw = Find(lk, hwnd);
        auto p = Data<UpDownData>(lk, hwnd);
        if (!pw || !p || !p->hwndBuddy || !(pw->nStyle & UDS_SETBUDDYINT))
            return;
        hwndBuddy = p->hwndBuddy;
        text = Format(p->nPos, !(pw->nStyle & UDS_NOTHOUSANDS));
    }
    char current[64] = {};
    GetWindowTextA(hwndBuddy, current, sizeof current);
    if (text != current)
        SetWindowTextA(hwndBuddy, text.c_str());
}

// Takes the position from the buddy; false when the buddy shows no number of the range.
bool ReadBuddy(HWND hwnd)
{
    HWND hwndBuddy = nullptr;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* pw = Find(lk, hwnd);
        auto p = Data<UpDownData>(lk, hwnd);
        if (!pw || !p || !p->hwndBuddy || !(pw->nStyle & UDS_SETBUDDYINT))
            return true;
        hwndBuddy = p->hwndBuddy;
    }
    char text[64] = {};
    GetWindowTextA(hwndBuddy, text, sizeof text);
    int n = 0;
    if (!Parse(text, &n))
        return false;
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = Data<UpDownData>(lk, hwnd);
    if (Clamp(*p, n) != n)
        return false;
    p->nPos = n;
    return true;
}

void SetBuddy(HWND hwnd, HWND hwndBuddy)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* pw = Find(lk, hwnd);
    auto p = Data<UpDownData>(lk, hwnd);
    if (Window* pOld = Find(lk, p->hwndBuddy); pOld && pOld->hwndUpDown == hwnd)
        pOld->hwndUpDown = nullptr;
    p->hwndBuddy = hwndBuddy;
    Window* pBuddy = Find(lk, hwndBuddy);
    if (!pBuddy)
        return;
    if (pw->nStyle & UDS_ARROWKEYS)
        pBuddy->hwndUpDown = hwnd;
    if (!(pw->nStyle & (UDS_ALIGNLEFT | UDS_ALIGNRIGHT)) || pBuddy->hwndParent != pw->hwndParent)
        return;
    // Beside the buddy, as high as the buddy, which gives up the width of the arrows; the
    // arrows overlap a border of the buddy so that the two look like one control.
    const LONG nWidth = pw->rect.right - pw->rect.left;
    const LONG nOverlap =
        (pBuddy->nStyle & WS_BORDER) || (pBuddy->nExStyle & WS_EX_CLIENTEDGE) ? 2 : 0;
    RECT& b = pBuddy->rect;
    LONG x;
    if (pw->nStyle & UDS_ALIGNLEFT) {
        x = b.left;
        b.left += nWidth - nOverlap;
    } else {
        b.right -= nWidth;
        x = b.right - nOverlap;
    }
    pw->rect = RECT{x, b.top, x + nWidth, b.bottom};
    Invalidate(lk, *pBuddy, true, false);
}

// One step of a person's: ask the parent, move, tell the parent where it is.
void Step(HWND hwnd, int nDelta)
{
    ReadBuddy(hwnd);
    NMUPDOWN nm{};
    HWND hwndNotify = nullptr;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<UpDownData>(lk, hwnd);
        if (!p)
            return;
        hwndNotify = p->hwndNotify;
        if (p->nMax < p->nMin)
            nDelta = -nDelta;
        nm.iPos = p->nPos;
        nm.iDelta = nDelta;
    }
    nm.hdr.code = UDN_DELTAPOS;
    if (SendNotify(hwnd, &nm.hdr) == 0) {
        bool bMoved = false;
        {
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<UpDownData>(lk, hwnd);
            const int nLow = std::min(p->nMin, p->nMax);
            const int nHigh = std::max(p->nMin, p->nMax);
            const int nPos = std::clamp(p->nPos + nm.iDelta, nLow, nHigh);
            bMoved = nPos != p->nPos;
            p->nPos = nPos;
        }
        if (bMoved)
            ShowInBuddy(hwnd);
    }
    int nPos = 0;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        nPos = Data<UpDownData>(lk, hwnd)->nPos;
    }
    if (hwndNotify)
        SendMessageA(hwndNotify, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, nPos),
                     reinterpret_cast<LPARAM>(hwnd));
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            HWND hwndPrevious = GetWindow(hwnd, GW_HWNDPREV);
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                Window* pw = Find(lk, hwnd);
                if (pw->nStyle & (UDS_HORZ | UDS_WRAP))
                    w.Misuse("an up-down control with UDS_HORZ or UDS_WRAP: not simulated");
                auto p = std::make_shared<UpDownData>();
                p->hwndNotify = pw->hwndParent;
                pw->pData = p;
            }
            if (StyleOf(hwnd) & UDS_AUTOBUDDY)
                SetBuddy(hwnd, hwndPrevious);
            return 0;
        }
        case WM_DESTROY:
            SetBuddy(hwnd, nullptr);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_LBUTTONDOWN: {
            RECT client;
            GetClientRect(hwnd, &client);
            const bool bUpper = static_cast<short>(HIWORD(lParam)) < client.bottom / 2;
            Step(hwnd, bUpper ? 1 : -1);
            return 0;
        }
        case WM_LBUTTONUP: {
            HWND hwndNotify = nullptr;
            int nPos = 0;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<UpDownData>(lk, hwnd);
                hwndNotify = p->hwndNotify;
                nPos = p->nPos;
            }
            if (hwndNotify)
                SendMessageA(hwndNotify, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, nPos),
                             reinterpret_cast<LPARAM>(hwnd));
            return 0;
        }
        case SIM_BUDDYKEY:
            if (StyleOf(hwnd) & UDS_ARROWKEYS)
                Step(hwnd, wParam == VK_UP ? 1 : -1);
            return 0;
        case UDM_SETPOS: {
            int nOld = 0;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<UpDownData>(lk, hwnd);
                nOld = p->nPos;
                // The low word, a signed 16-bit number.
                p->nPos = Clamp(*p, static_cast<short>(LOWORD(lParam)));
            }
            ShowInBuddy(hwnd);
            return nOld;
        }
        case UDM_GETPOS: {
            const bool bValid = ReadBuddy(hwnd);
            World& w = World::Get();
            Lock lk = w.Acquire();
            return MAKELONG(Data<UpDownData>(lk, hwnd)->nPos, bValid ? 0 : 1);
        }
        default:
            break;
    }

    World& w = World::Get();
    Lock lk = w.Acquire();
    auto p = Data<UpDownData>(lk, hwnd);
    if (!p) {
        lk.unlock();
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
    switch (nMessage) {
        case UDM_SETRANGE:
            // MAKELPARAM(maximum, minimum)
            p->nMax = static_cast<short>(LOWORD(lParam));
            p->nMin = static_cast<short>(HIWORD(lParam));
            return 0;
        case UDM_GETRANGE:
            return MAKELONG(p->nMax, p->nMin);
        case UDM_GETBUDDY:
            return reinterpret_cast<LRESULT>(p->hwndBuddy);
        default:
            lk.unlock();
            if (nMessage >= WM_USER && nMessage < SIM_BUDDYKEY)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = UPDOWN_CLASSA;
    cls.pfnProc = UpDownProc;
    cls.bCommonControl = true;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

sim::UpDownState UpDownOf(Lock& lk, HWND hwnd)
{
    sim::UpDownState state;
    if (auto p = Data<UpDownData>(lk, hwnd)) {
        state.nPos = p->nPos;
        state.nMin = p->nMin;
        state.nMax = p->nMax;
        state.hwndBuddy = p->hwndBuddy;
    }
    return state;
}

}  // namespace sim::win
