// Dialogs made from their templates: the dialog class, the dialog's place and size from its
// dialog units, its font, its controls and its default push button, WM_INITDIALOG, and the
// dialog unit calls.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

constexpr int DIALOG_EXTRA = std::max<int>(DLGWINDOWEXTRA, DWLP_USER + sizeof(LONG_PTR));

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "#32770";
    cls.pfnProc = DialogClassProc;
    cls.cbWndExtra = DIALOG_EXTRA;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

DialogInfo* DialogInfoOf(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    return p ? p->pDialog.get() : nullptr;
}

void BaseUnits(int nPointSize, int* pnBaseX, int* pnBaseY)
{
    if (nPointSize <= 0) {
        // the system font
        *pnBaseX = 8;
        *pnBaseY = 16;
        return;
    }
    const int nHeight = MulDiv(nPointSize, 96, 72);
    *pnBaseY = nHeight;
    *pnBaseX = (nHeight + 1) / 2;
}

HWND CreateDialogFromTemplate(HINSTANCE hInstance, const DialogTemplate& t, HWND hwndOwner,
                              DLGPROC pfnDlgProc, LPARAM lParam, bool bModal)
{
    int nBaseX = 0;
    int nBaseY = 0;
    BaseUnits((t.nStyle & (DS_SETFONT | DS_SHELLFONT)) ? t.nPointSize : 0, &nBaseX, &nBaseY);

    DWORD nExStyle = t.nExStyle;
    if (t.nStyle & DS_MODALFRAME)
        nExStyle |= WS_EX_DLGMODALFRAME;
    RECT r{0, 0, MulDiv(t.cx, nBaseX, 4), MulDiv(t.cy, nBaseY, 8)};
    AdjustWindowRectEx(&r, t.nStyle, FALSE, nExStyle);
    POINT at{r.left, r.top};
    const int cx = r.right - r.left;
    const int cy = r.bottom - r.top;
    const int nScreenX = SCREEN_CX;
    const int nScreenY = SCREEN_CY;
    if (t.nStyle & DS_CENTER) {
        at = POINT{(nScreenX - cx) / 2, (nScreenY - cy) / 2};
    } else {
        at.x += MulDiv(t.x, nBaseX, 4);
        at.y += MulDiv(t.y, nBaseY, 8);
        // The template's place is relative to the owner's client area.
        if (!(t.nStyle & (WS_CHILD | DS_ABSALIGN)) && hwndOwner)
            ClientToScreen(hwndOwner, &at);
    }
    if (!(t.nStyle & WS_CHILD)) {
        at.x = std::max<LONG>(0, std::min<LONG>(at.x, nScreenX - cx));
        at.y = std::max<LONG>(0, std::min<LONG>(at.y, nScreenY - cy));
    }

    CreateParams params;
    params.nExStyle = nExStyle;
    params.className = t.className.empty() ? "#32770" : ToAnsi(t.className);
    params.text = t.title;
    params.nStyle = t.nStyle & ~WS_VISIBLE;
    params.x = at.x;
    params.y = at.y;
    params.cx = cx;
    params.cy = cy;
    params.hwndParent = hwndOwner;
    params.hInstance = hInstance;
    params.bDialog = true;
    const HWND hwnd = CreateWindowInternal(params);
    if (!hwnd)
        return nullptr;

    HFONT hFont = nullptr;
    if (t.nStyle & (DS_SETFONT | DS_SHELLFONT)) {
        LOGFONTA font{};
        font.lfHeight = -MulDiv(t.nPointSize, 96, 72);
        font.lfWeight = t.nWeight;
        font.lfItalic = t.bItalic;
        font.lfCharSet = t.nCharSet;
        CopyAnsi(t.face, font.lfFaceName, LF_FACESIZE);
        hFont = CreateFontIndirectA(&font);
    }
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        DialogInfo* pInfo = DialogInfoOf(lk, hwnd);
        pInfo->nBaseX = nBaseX;
        pInfo->nBaseY = nBaseY;
        pInfo->hFont = hFont;
    }
    SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pfnDlgProc));
    if (bModal && hwndOwner && IsWindowEnabled(hwndOwner)) {
        EnableWindow(hwndOwner, FALSE);
        World& w = World::Get();
        Lock lk = w.Acquire();
        DialogInfoOf(lk, hwnd)->bOwnerDisabled = true;
    }
    if (hFont)
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), 0);

    HWND hwndDefault = nullptr;
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
        control.nId = t.bExtended ? static_cast<LONG_PTR>(static_cast<LONG>(item.nId))
                                  : static_cast<LONG_PTR>(static_cast<WORD>(item.nId));
        control.hInstance = hInstance;
        control.pParam = const_cast<void*>(item.pCreationData);
        const HWND hwndControl = CreateWindowInternal(control);
        if (!hwndControl) {
            if (t.nStyle & DS_NOFAILCREATE)
                continue;
            DestroyWindow(hwnd);
            return nullptr;
        }
        if (hFont)
            SendMessageA(hwndControl, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), 0);
        if (SendMessageA(hwndControl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) {
            // One default push button: a later one takes the place of an earlier one.
            if (hwndDefault)
                SendMessageA(hwndDefault, BM_SETSTYLE, BS_PUSHBUTTON, FALSE);
            hwndDefault = hwndControl;
            World& w = World::Get();
            Lock lk = w.Acquire();
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
        World& w = World::Get();
        Lock lk = w.Acquire();
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
        World& w = World::Get();
        Lock lk = w.Acquire();
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
    World& w = World::Get();
    Lock lk = w.Acquire();
    DialogInfo* pInfo = DialogInfoOf(lk, hwndDialog);
    if (!pInfo)
        return FALSE;
    pRect->left = MulDiv(pRect->left, pInfo->nBaseX, 4);
    pRect->right = MulDiv(pRect->right, pInfo->nBaseX, 4);
    pRect->top = MulDiv(pRect->top, pInfo->nBaseY, 8);
    pRect->bottom = MulDiv(pRect->bottom, pInfo->nBaseY, 8);
    return TRUE;
}
