// The keyboard of a dialog, as IsDialogMessage gives it: Tab moves the focus on, Enter goes to
// the push button with the focus, else to the default id, else IDOK; Esc is IDCANCEL; Alt and a
// letter marked with '&' in a control's text chooses that control. A control that asks for the
// arrows or characters through WM_GETDLGCODE gets them; elsewhere they are not simulated.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct Sibling
{
    HWND hwnd;
    LONG nStyle;
    std::u16string text;
};

std::vector<Sibling> ChildrenOf(HWND hwndDialog)
{
    std::vector<Sibling> v;
    Lock lk = World::Get().Acquire();
    if (Window* p = Find(lk, hwndDialog))
        for (HWND h : p->children)
            if (Window* pChild = Find(lk, h))
                v.push_back(Sibling{h, pChild->nStyle, pChild->text});
    return v;
}

void Misuse(const char* pszWhat)
{
    Lock lk = World::Get().Acquire();
    World::Get().Misuse(std::string(pszWhat) + ": not simulated");
}

bool Usable(const Sibling& s)
{
    return (s.nStyle & WS_VISIBLE) && !(s.nStyle & WS_DISABLED);
}

// The label or button whose text marks this character. The search starts after the focus on
// Windows, which matters only to a letter that marks two controls; no template has one.
bool ChooseByMnemonic(HWND hwndDialog, char16_t c)
{
    if (!c)
        return false;
    for (const Sibling& s : ChildrenOf(hwndDialog)) {
        if (!Usable(s) || FoldCase(Mnemonic(s.text)) != FoldCase(c))
            continue;
        // Only labels and buttons have mnemonics.
        const LRESULT nCode = SendMessageA(s.hwnd, WM_GETDLGCODE, 0, 0);
        if (nCode & DLGC_STATIC) {
            // A label hands its letter on to the next control in tab order.
            HWND hwndNext = GetNextDlgTabItem(hwndDialog, s.hwnd, FALSE);
            if (hwndNext)
                SendMessageA(hwndDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwndNext), TRUE);
        } else if (nCode & DLGC_BUTTON) {
            SendMessageA(s.hwnd, BM_CLICK, 0, 0);
        } else {
            continue;
        }
        return true;
    }
    return false;
}

void PressEnter(HWND hwndDialog)
{
    const HWND hwndFocus = GetFocus();
    if (hwndFocus && IsChild(hwndDialog, hwndFocus) &&
        (SendMessageA(hwndFocus, WM_GETDLGCODE, 0, 0) &
         (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        SendMessageA(hwndDialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwndFocus), BN_CLICKED),
                     reinterpret_cast<LPARAM>(hwndFocus));
        return;
    }
    const LRESULT nDef = SendMessageA(hwndDialog, DM_GETDEFID, 0, 0);
    if (HIWORD(nDef) == DC_HASDEFID) {
        const HWND hwndDefault = GetDlgItem(hwndDialog, LOWORD(nDef));
        if (!hwndDefault || IsWindowEnabled(hwndDefault))
            SendMessageA(hwndDialog, WM_COMMAND, MAKEWPARAM(LOWORD(nDef), BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwndDefault));
        return;
    }
    SendMessageA(hwndDialog, WM_COMMAND, IDOK,
                 reinterpret_cast<LPARAM>(GetDlgItem(hwndDialog, IDOK)));
}

}  // namespace

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI GetNextDlgTabItem(HWND hwndDialog, HWND hwndControl, BOOL bPrevious)
{
    const std::vector<Sibling> children = ChildrenOf(hwndDialog);
    const size_t n = children.size();
    // Without a control to start from, the search starts before the first or after the last.
    size_t nAt = bPrevious ? 0 : n - 1;
    for (size_t i = 0; i < n; ++i)
        if (children[i].hwnd == hwndControl)
            nAt = i;
    for (size_t k = 1; k <= n; ++k) {
        const size_t i = bPrevious ? (nAt + n - k) % n : (nAt + k) % n;
        const Sibling& s = children[i];
        if (Usable(s) && (s.nStyle & WS_TABSTOP))
            return s.hwnd;
    }
    return hwndControl;
}

BOOL WINAPI IsDialogMessageA(HWND hwndDialog, LPMSG pMsg)
{
    if (!IsWindow(hwndDialog) || (pMsg->hwnd != hwndDialog && !IsChild(hwndDialog, pMsg->hwnd)))
        return FALSE;
    const LPARAM pMsgParam = reinterpret_cast<LPARAM>(pMsg);
    switch (pMsg->message) {
        case WM_KEYDOWN:
            switch (pMsg->wParam) {
                case VK_TAB:
                    // Forwards: a test's keys come as window messages, without a held Shift.
                    SendMessageA(hwndDialog, WM_NEXTDLGCTL, 0, 0);
                    return TRUE;
                case VK_RIGHT:
                case VK_DOWN:
                case VK_LEFT:
                case VK_UP:
                    if (SendMessageA(pMsg->hwnd, WM_GETDLGCODE, pMsg->wParam, pMsgParam) &
                        DLGC_WANTARROWS)
                        break;
                    Misuse("an arrow key between the controls of a group");
                    return TRUE;
                case VK_ESCAPE:
                    SendMessageA(hwndDialog, WM_COMMAND, IDCANCEL,
                                 reinterpret_cast<LPARAM>(GetDlgItem(hwndDialog, IDCANCEL)));
                    return TRUE;
                case VK_RETURN:
                    PressEnter(hwndDialog);
                    return TRUE;
                default:
                    break;
            }
            break;
        case WM_CHAR:
            if (SendMessageA(pMsg->hwnd, WM_GETDLGCODE, pMsg->wParam, pMsgParam) & DLGC_WANTCHARS)
                break;
            Misuse("a character without Alt as a dialog's mnemonic");
            return TRUE;
        case WM_SYSCHAR:
            if (ChooseByMnemonic(hwndDialog, static_cast<char16_t>(pMsg->wParam & 0xFF)))
                return TRUE;
            break;
        default:
            break;
    }
    TranslateMessage(pMsg);
    DispatchMessageA(pMsg);
    return TRUE;
}
