// The default dialog procedure: the dialog procedure's answer, the default push button and the
// look of it, the focus that a dialog remembers, and the close box as the Cancel button.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

int DefId(HWND hwndDialog)
{
    Lock lk = World::Get().Acquire();
    return DialogInfoOf(lk, hwndDialog)->nDefId;
}

HWND FindDefaultLooking(HWND hwndDialog)
{
    for (HWND h = GetWindow(hwndDialog, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (SendMessageA(h, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON)
            return h;
    return nullptr;
}

// The push button with the focus looks like the default one; when the focus is elsewhere the
// button of the default id does.
void SetDefaultLook(HWND hwndDialog, HWND hwndNew)
{
    const HWND hwndOld = FindDefaultLooking(hwndDialog);
    const LRESULT nCode = SendMessageA(hwndNew, WM_GETDLGCODE, 0, 0);
    if (!(nCode & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) {
        const int nDefId = DefId(hwndDialog);
        hwndNew = nDefId ? GetDlgItem(hwndDialog, nDefId) : hwndOld;
    }
    if (hwndOld && hwndOld != hwndNew)
        SendMessageA(hwndOld, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (hwndNew && (SendMessageA(hwndNew, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        SendMessageA(hwndNew, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

// An activated dialog gives the focus back to the control that had it last, or to its first
// tab stop.
void RestoreFocus(HWND hwndDialog)
{
    HWND hwndFocus = nullptr;
    {
        Lock lk = World::Get().Acquire();
        hwndFocus = DialogInfoOf(lk, hwndDialog)->hwndFocus;
        if (hwndFocus && !IsDescendant(lk, hwndDialog, hwndFocus))
            hwndFocus = nullptr;
    }
    if (!hwndFocus)
        hwndFocus = GetNextDlgTabItem(hwndDialog, nullptr, FALSE);
    if (hwndFocus)
        SetFocus(hwndFocus);
}

}  // namespace

void DialogSetFocus(HWND hwndControl)
{
    if (SendMessageA(hwndControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(hwndControl, EM_SETSEL, 0, -1);
    SetFocus(hwndControl);
}

}  // namespace sim::win

using namespace sim::win;

LRESULT WINAPI DefDlgProcA(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (Lock lk = World::Get().Acquire(); !DialogInfoOf(lk, hwnd)) {
        lk.unlock();  // a window of the dialog class made by CreateWindowEx
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }

    const auto pfnDlgProc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, DWLP_DLGPROC));
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
    const INT_PTR nHandled = pfnDlgProc ? pfnDlgProc(hwnd, nMessage, wParam, lParam) : 0;
    if (!IsWindow(hwnd))
        return 0;
    // The answer of a dialog procedure that handled a message is at DWLP_MSGRESULT, but for
    // WM_INITDIALOG's (and those of messages that the simulation does not send).
    if (nHandled)
        return nMessage == WM_INITDIALOG ? nHandled : GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);

    switch (nMessage) {
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE)
                RestoreFocus(hwnd);
            return 0;
        case DM_SETDEFID:  // the default push button is the template's
        case DM_REPOSITION:
            return NotSimulated(hwnd, nMessage);
        case DM_GETDEFID: {
            const int nDefId = DefId(hwnd);
            return nDefId ? MAKELONG(nDefId, DC_HASDEFID) : 0;
        }
        case WM_NEXTDLGCTL: {
            HWND hwndNext = lParam ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(hwnd, GetFocus(), static_cast<BOOL>(wParam));
            if (hwndNext) {
                DialogSetFocus(hwndNext);
                SetDefaultLook(hwnd, hwndNext);
            }
            return 0;
        }
        case WM_CLOSE:
            // The close box is the Cancel button.
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDCANCEL)));
            return 0;
        default:
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}
