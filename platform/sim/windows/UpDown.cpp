// The up-down control ("msctls_updown32", a common control) as the panel has it: upright, the
// buddy of the control before it in the template (UDS_AUTOBUDDY), which shows its position in
// decimal with the thousands separator (UDS_SETBUDDYINT) and gives it its arrow keys
// (UDS_ARROWKEYS). It asks its parent with UDN_DELTAPOS before every change a person makes, even
// at a bound, and a non-zero answer cancels the change; UDM_SETPOS from the program asks nobody
// and brings the position into the range. Where it sits beside its buddy is Wine's; UDS_HORZ,
// UDS_WRAP and UDS_NOTHOUSANDS are not simulated.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct UpDownData : ControlData
{
    int nMin = 100;  // the range of a new control runs from 100 down to 0
    int nMax = 0;
    int nPos = 0;
    HWND hwndBuddy = nullptr;
};

// fn(data) with the world's lock held.
template <class Fn>
auto With(HWND hwnd, Fn fn)
{
    Lock lk = World::Get().Acquire();
    return fn(*Data<UpDownData>(lk, hwnd));
}

int Clamp(const UpDownData& d, int n)
{
    return std::clamp(n, std::min(d.nMin, d.nMax), std::max(d.nMin, d.nMax));
}

// The buddy that shows the position (UDS_SETBUDDYINT), or nullptr.
HWND NumberBuddy(HWND hwnd)
{
    const bool bNumber = (GetWindowLongA(hwnd, GWL_STYLE) & UDS_SETBUDDYINT) != 0;
    return With(hwnd, [bNumber](UpDownData& d) { return bNumber ? d.hwndBuddy : nullptr; });
}

// The position in decimal with the thousands separator.
void ShowInBuddy(HWND hwnd)
{
    const HWND hwndBuddy = NumberBuddy(hwnd);
    if (!hwndBuddy)
        return;
    const int nPos = With(hwnd, [](UpDownData& d) { return d.nPos; });
    std::string text = std::to_string(nPos);
    for (int i = static_cast<int>(text.size()) - 3; i > (nPos < 0 ? 1 : 0); i -= 3)
        text.insert(static_cast<size_t>(i), ",");
    char current[64] = {};
    GetWindowTextA(hwndBuddy, current, sizeof current);
    if (text != current)
        SetWindowTextA(hwndBuddy, text.c_str());
}

// Takes the position from the buddy as UDM_GETPOS reads it, separators and spaces left out;
// false when the buddy shows no number of the range.
bool ReadBuddy(HWND hwnd)
{
    const HWND hwndBuddy = NumberBuddy(hwnd);
    if (!hwndBuddy)
        return true;
    char text[64] = {};
    GetWindowTextA(hwndBuddy, text, sizeof text);
    std::string digits;
    for (const char* p = text; *p; ++p)
        if (*p != ',' && *p != ' ')
            digits += *p;
    char* pEnd = nullptr;
    const int n = static_cast<int>(std::strtol(digits.c_str(), &pEnd, 10));
    return !digits.empty() && !*pEnd && With(hwnd, [n](UpDownData& d) {
        if (Clamp(d, n) != n)
            return false;
        d.nPos = n;
        return true;
    });
}

void SetBuddy(Lock& lk, HWND hwnd, HWND hwndBuddy)
{
    auto p = Data<UpDownData>(lk, hwnd);
    if (Window* pOld = Find(lk, p->hwndBuddy); pOld && pOld->hwndUpDown == hwnd)
        pOld->hwndUpDown = nullptr;
    p->hwndBuddy = hwndBuddy;
    if (Window* pBuddy = Find(lk, hwndBuddy); pBuddy && (Find(lk, hwnd)->nStyle & UDS_ARROWKEYS))
        pBuddy->hwndUpDown = hwnd;
}

// One step of a person's: ask the parent, then move within the range.
void Step(HWND hwnd, int nDelta)
{
    ReadBuddy(hwnd);
    NMUPDOWN nm{};
    nm.hdr.code = UDN_DELTAPOS;
    With(hwnd, [&](UpDownData& d) {
        nm.iPos = d.nPos;
        nm.iDelta = d.nMax < d.nMin ? -nDelta : nDelta;  // a range upside down
    });
    if (SendNotify(hwnd, &nm.hdr) != 0)
        return;
    const bool bMoved = With(hwnd, [&](UpDownData& d) {
        const int nOld = d.nPos;
        d.nPos = Clamp(d, d.nPos + nm.iDelta);
        return d.nPos != nOld;
    });
    if (bMoved)
        ShowInBuddy(hwnd);
}

LRESULT CALLBACK UpDownProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            const HWND hwndPrevious = GetWindow(hwnd, GW_HWNDPREV);
            Lock lk = World::Get().Acquire();
            Window* pw = Find(lk, hwnd);
            if (pw->nStyle & (UDS_HORZ | UDS_WRAP | UDS_NOTHOUSANDS))
                World::Get().Misuse(
                    "an up-down control with UDS_HORZ, UDS_WRAP or "
                    "UDS_NOTHOUSANDS: not simulated");
            pw->pData = std::make_shared<UpDownData>();
            if (pw->nStyle & UDS_AUTOBUDDY)
                SetBuddy(lk, hwnd, hwndPrevious);
            return 0;
        }
        case WM_DESTROY: {
            Lock lk = World::Get().Acquire();
            SetBuddy(lk, hwnd, nullptr);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            RECT client;
            GetClientRect(hwnd, &client);
            Step(hwnd, static_cast<short>(HIWORD(lParam)) < client.bottom / 2 ? 1 : -1);
            return 0;
        }
        case SIM_BUDDYKEY:
            Step(hwnd, wParam == VK_UP ? 1 : -1);
            return 0;
        case UDM_SETPOS: {
            // The low word, a signed 16-bit number.
            const int nOld = With(hwnd, [lParam](UpDownData& d) {
                return std::exchange(d.nPos, Clamp(d, static_cast<short>(LOWORD(lParam))));
            });
            ShowInBuddy(hwnd);
            return nOld;
        }
        case UDM_GETPOS: {
            const bool bValid = ReadBuddy(hwnd);
            return With(hwnd, [bValid](UpDownData& d) { return MAKELONG(d.nPos, bValid ? 0 : 1); });
        }
        case UDM_SETRANGE:
            // MAKELPARAM(maximum, minimum)
            With(hwnd, [lParam](UpDownData& d) {
                d.nMax = static_cast<short>(LOWORD(lParam));
                d.nMin = static_cast<short>(HIWORD(lParam));
            });
            return 0;
        case UDM_GETRANGE:
            return With(hwnd, [](UpDownData& d) { return MAKELONG(d.nMax, d.nMin); });
        default:
            if (nMessage >= WM_USER && nMessage < SIM_BUDDYKEY)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({UPDOWN_CLASSA, UpDownProc, 0, nullptr, true});  // a common control
    return true;
}();

}  // namespace

}  // namespace sim::win
