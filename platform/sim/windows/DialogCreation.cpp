// Dialogs made from their templates: the dialog class, the dialog's place and size from its
// dialog units (relative to its owner's client area), its font, its controls and its default
// push button, WM_INITDIALOG, and the dialog unit calls. Placement beyond the template's (centred,
// kept on the screen) and the font's looks are Wine's.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

constexpr int DIALOG_EXTRA = std::max<int>(DLGWINDOWEXTRA, DWLP_USER + sizeof(LONG_PTR));

const bool g_bRegistered = [] {
    AddBuiltInClass({"#32770", DialogClassProc, DIALOG_EXTRA});
    return true;
}();

}  // namespace

DialogInfo* DialogInfoOf(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    return p ? p->pDialog.get() : nullptr;
}

HWND CreateDialogFromTemplate(HINSTANCE hInstance, const DialogTemplate& t, HWND hwndOwner,
                              DLGPROC pfnDlgProc, LPARAM lParam, bool bModal)
{
    // The dialog base units of the template's font on the simulated display, else of the system
    // font.
    const bool bFont = (t.nStyle & (DS_SETFONT | DS_SHELLFONT)) != 0;
    const int nBaseY = bFont ? MulDiv(t.nPointSize, 96, 72) : 16;
    const int nBaseX = bFont ? (nBaseY + 1) / 2 : 8;
    if (t.nStyle & (WS_CHILD | DS_ABSALIGN | DS_CENTER | DS_CENTERMOUSE | DS_NOFAILCREATE)) {
        Lock lk = World::Get().Acquire();
        World::Get().Misuse("a dialog template's place or creation style: not simulated");
    }

    DWORD nExStyle = t.nExStyle;
    if (t.nStyle & DS_MODALFRAME)
        nExStyle |= WS_EX_DLGMODALFRAME;
    RECT r{0, 0, MulDiv(t.cx, nBaseX, 4), MulDiv(t.cy, nBaseY, 8)};
    AdjustWindowRectEx(&r, t.nStyle, FALSE, nExStyle);
    POINT at{r.left + MulDiv(t.x, nBaseX, 4), r.top + MulDiv(t.y, nBaseY, 8)};
    if (hwndOwner)
        ClientToScreen(hwndOwner, &at);

    CreateParams params;
    params.nExStyle = nExStyle;
    params.className = t.className.empty() ? "#32770" : ToAnsi(t.className);
    params.text = t.title;
    params.nStyle = t.nStyle & ~WS_VISIBLE;
    params.x = at.x;
    params.y = at.y;
    params.cx = r.right - r.left;
    params.cy = r.bottom - r.top;
    params.hwndParent = hwndOwner;
    params.hInstance = hInstance;
    params.bDialog = true;
    const HWND hwnd = CreateWindowInternal(params);
    if (!hwnd)
        return nullptr;

    const bool bDisableOwner = bModal && hwndOwner && IsWindowEnabled(hwndOwner);
    {
        Lock lk = World::Get().Acquire();
        DialogInfo* pInfo = DialogInfoOf(lk, hwnd);
        pInfo->nBaseX = nBaseX;
        pInfo->nBaseY = nBaseY;
        pInfo->bOwnerDisabled = bDisableOwner;
    }
    SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pfnDlgProc));
    if (bDisableOwner)
        EnableWindow(hwndOwner, FALSE);
    // The dialog procedure hears of its font first; what the font looks like is Wine's.
    if (bFont) {
        LOGFONTA font{};
        font.lfHeight = -nBaseY;
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(CreateFontIndirectA(&font)), 0);
    }

    for (const DialogItem& item : t.items) {
        CreateParams control;
        control.nExStyle = item.nExStyle | WS_EX_NOPARENTNOTIFY;
        control.className = item.className;
        control.text = item.text;
        control.nTextOrdinal = item.nTextOrdinal;
        control.nStyle = item.nStyle | WS_CHILD;
        control.x = MulDiv(item.x, nBaseX, 4);
        control.y = MulDiv(item.y, nBaseY, 8);
        control.cx = MulDiv(item.cx, nBaseX, 4);
        control.cy = MulDiv(item.cy, nBaseY, 8);
        control.hwndParent = hwnd;
        control.nId = static_cast<LONG>(item.nId);  // a plain template's is a WORD
        control.hInstance = hInstance;
        const HWND hwndControl = CreateWindowInternal(control);
        if (!hwndControl) {
            DestroyWindow(hwnd);
            return nullptr;
        }
        if (SendMessageA(hwndControl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) {
            Lock lk = World::Get().Acquire();
            DialogInfoOf(lk, hwnd)->nDefId = static_cast<int>(control.nId);
        }
    }

    const HWND hwndFirst = GetNextDlgTabItem(hwnd, nullptr, FALSE);
    const LRESULT nInit =
        SendMessageA(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(hwndFirst), lParam);
    if (!IsWindow(hwnd))
        return nullptr;
    if (nInit && hwndFirst && IsWindow(hwndFirst))
        DialogSetFocus(hwndFirst);
    bool bEnded = false;
    {
        Lock lk = World::Get().Acquire();
        bEnded = DialogInfoOf(lk, hwnd)->bEnded;
    }
    if ((t.nStyle & WS_VISIBLE) && !bEnded)
        ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcA(hwnd, nMessage, wParam, lParam);
}

}  // namespace sim::win

using namespace sim::win;

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA pTemplate,
                                       HWND hwndOwner, DLGPROC pfnDlgProc, LPARAM lParam)
{
    DialogTemplate t;
    if (!ParseDialogTemplate(pTemplate, &t)) {
        Lock lk = World::Get().Acquire();
        SetError(lk, ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateDialogFromTemplate(hInstance, t, hwndOwner, pfnDlgProc, lParam, false);
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR pszTemplate, HWND hwndOwner,
                               DLGPROC pfnDlgProc, LPARAM lParam)
{
    HRSRC hResource = FindResourceA(hInstance, pszTemplate, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!hResource)
        return nullptr;
    return CreateDialogIndirectParamA(
        hInstance, static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(hInstance, hResource))),
        hwndOwner, pfnDlgProc, lParam);
}

BOOL WINAPI MapDialogRect(HWND hwndDialog, LPRECT pRect)
{
    Lock lk = World::Get().Acquire();
    DialogInfo* pInfo = DialogInfoOf(lk, hwndDialog);
    if (!pInfo)
        return FALSE;
    pRect->left = MulDiv(pRect->left, pInfo->nBaseX, 4);
    pRect->right = MulDiv(pRect->right, pInfo->nBaseX, 4);
    pRect->top = MulDiv(pRect->top, pInfo->nBaseY, 8);
    pRect->bottom = MulDiv(pRect->bottom, pInfo->nBaseY, 8);
    return TRUE;
}
