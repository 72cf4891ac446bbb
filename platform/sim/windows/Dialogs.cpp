// The dialog manager: dialogs built from their templates (plain and extended), made hidden,
// initialised with WM_INITDIALOG and shown; the default dialog procedure with its default
// button, focus memory and close box; modal dialog boxes and their loop; EndDialog.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cstring>

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
    cls.nStyle = CS_SAVEBITS | CS_DBLCLKS;
    AddBuiltInClass(cls);
    return true;
}();

template <class T>
T Get(const unsigned char*& p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

// A name or an ordinal (0xFFFF and a WORD), or nothing (a single 0).
std::u16string GetNameOrOrdinal(const unsigned char*& p, int* pnOrdinal)
{
    std::u16string text;
    if (pnOrdinal)
        *pnOrdinal = -1;
    const WORD nFirst = Get<WORD>(p);
    if (nFirst == 0xFFFF) {
        const WORD nOrdinal = Get<WORD>(p);
        if (pnOrdinal)
            *pnOrdinal = nOrdinal;
        return text;
    }
    for (char16_t c = static_cast<char16_t>(nFirst); c; c = Get<char16_t>(p))
        text += c;
    return text;
}

std::string PredefinedClass(int nOrdinal)
{
    switch (nOrdinal) {
        case 0x80:
            return "Button";
        case 0x81:
            return "Edit";
        case 0x82:
            return "Static";
        case 0x83:
            return "ListBox";
        case 0x84:
            return "ScrollBar";
        case 0x85:
            return "ComboBox";
        default:
            return "#" + std::to_string(nOrdinal);
    }
}

void AlignTo4(const unsigned char*& p, const unsigned char* pBase)
{
    p = pBase + ((static_cast<size_t>(p - pBase) + 3) & ~size_t(3));
}

DialogInfo* InfoOf(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    return p ? p->pDialog.get() : nullptr;
}

// Focus to a control as the dialog manager gives it: an edit gets all of its text selected.
void DialogSetFocus(HWND hwndControl)
{
    if (SendMessageA(hwndControl, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageA(hwndControl, EM_SETSEL, 0, -1);
    SetFocus(hwndControl);
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
    const LRESULT nCode = hwndNew ? SendMessageA(hwndNew, WM_GETDLGCODE, 0, 0) : 0;
    if (!(nCode & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) {
        int nDefId = 0;
        {
            World& w = World::Get();
            Lock lk = w.Acquire();
            if (DialogInfo* pInfo = InfoOf(lk, hwndDialog))
                nDefId = pInfo->nDefId;
        }
        hwndNew = nDefId ? GetDlgItem(hwndDialog, nDefId) : hwndOld;
    }
    if (hwndOld && hwndOld != hwndNew)
        SendMessageA(hwndOld, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    if (hwndNew && (SendMessageA(hwndNew, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON))
        SendMessageA(hwndNew, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

void RestoreFocus(HWND hwndDialog, bool bJustActivated)
{
    if (IsIconic(hwndDialog))
        return;
    HWND hwndFocus = nullptr;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (DialogInfo* pInfo = InfoOf(lk, hwndDialog))
            hwndFocus = pInfo->hwndFocus;
        if (hwndFocus && !IsDescendant(lk, hwndDialog, hwndFocus))
            hwndFocus = nullptr;
    }
    if (!hwndFocus)
        hwndFocus = GetNextDlgTabItem(hwndDialog, nullptr, FALSE);
    if (!hwndFocus)
        return;
    if (bJustActivated)
        SetFocus(hwndFocus);
    else
        DialogSetFocus(hwndFocus);
}

bool ReturnsDirectly(UINT nMessage)
{
    switch (nMessage) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_QUERYDRAGICON:
            return true;
        default:
            return false;
    }
}

}  // namespace

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

bool ParseDialogTemplate(const void* pTemplate, DialogTemplate* pOut)
{
    const auto* pBase = static_cast<const unsigned char*>(pTemplate);
    if (!pBase)
        return false;
    const unsigned char* p = pBase;
    DialogTemplate& t = *pOut;
    WORD nVersion;
    std::memcpy(&nVersion, p, sizeof nVersion);
    WORD nSignature;
    std::memcpy(&nSignature, p + 2, sizeof nSignature);
    t.bExtended = nVersion == 1 && nSignature == 0xFFFF;
    if (t.bExtended) {
        p += 4;
        Get<DWORD>(p);  // help id
        t.nExStyle = Get<DWORD>(p);
        t.nStyle = Get<DWORD>(p);
    } else {
        t.nStyle = Get<DWORD>(p);
        t.nExStyle = Get<DWORD>(p);
    }
    const WORD nItems = Get<WORD>(p);
    t.x = Get<short>(p);
    t.y = Get<short>(p);
    t.cx = Get<short>(p);
    t.cy = Get<short>(p);
    int nMenu = -1;
    const std::u16string menu = GetNameOrOrdinal(p, &nMenu);
    if (!menu.empty() || nMenu >= 0)
        return false;  // menus are not simulated
    int nClass = -1;
    t.className = GetNameOrOrdinal(p, &nClass);
    t.title = GetNameOrOrdinal(p, nullptr);
    if (t.nStyle & (DS_SETFONT | DS_SHELLFONT)) {
        t.nPointSize = Get<WORD>(p);
        if (t.bExtended) {
            t.nWeight = Get<WORD>(p);
            t.bItalic = Get<BYTE>(p);
            t.nCharSet = Get<BYTE>(p);
        }
        t.face = GetNameOrOrdinal(p, nullptr);
    }
    for (WORD i = 0; i < nItems; ++i) {
        AlignTo4(p, pBase);
        DialogItem item;
        if (t.bExtended) {
            Get<DWORD>(p);  // help id
            item.nExStyle = Get<DWORD>(p);
            item.nStyle = Get<DWORD>(p);
        } else {
            item.nStyle = Get<DWORD>(p);
            item.nExStyle = Get<DWORD>(p);
        }
        item.x = Get<short>(p);
        item.y = Get<short>(p);
        item.cx = Get<short>(p);
        item.cy = Get<short>(p);
        item.nId = t.bExtended ? Get<DWORD>(p) : Get<WORD>(p);
        int nOrdinal = -1;
        const std::u16string className = GetNameOrOrdinal(p, &nOrdinal);
        item.className = nOrdinal >= 0 ? PredefinedClass(nOrdinal) : ToAnsi(className);
        item.text = GetNameOrOrdinal(p, &item.nTextOrdinal);
        const WORD nExtra = Get<WORD>(p);
        if (nExtra) {
            item.pCreationData = p - sizeof(WORD);
            // A plain template counts the size word itself, an extended one does not.
            p += t.bExtended ? nExtra : nExtra - sizeof(WORD);
        }
        t.items.push_back(item);
    }
    return true;
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
    int nScreenX = 0;
    int nScreenY = 0;
    ScreenSize(&nScreenX, &nScreenY);
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
        DialogInfo* pInfo = InfoOf(lk, hwnd);
        pInfo->nBaseX = nBaseX;
        pInfo->nBaseY = nBaseY;
        pInfo->hFont = hFont;
    }
    SetWindowLongPtrA(hwnd, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(pfnDlgProc));
    if (bModal && hwndOwner && IsWindowEnabled(hwndOwner)) {
        EnableWindow(hwndOwner, FALSE);
        World& w = World::Get();
        Lock lk = w.Acquire();
        InfoOf(lk, hwnd)->bOwnerDisabled = true;
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
            InfoOf(lk, hwnd)->nDefId = static_cast<int>(control.nId);
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
        bEnded = InfoOf(lk, hwnd)->bEnded;
    }
    if ((t.nStyle & WS_VISIBLE) && !bEnded)
        ShowWindow(hwnd, SW_SHOWNORMAL);
    return hwnd;
}

INT_PTR RunModal(HWND hwndDialog, HWND hwndOwner)
{
    bool bShown = false;
    auto ended = [hwndDialog] {
        World& w = World::Get();
        Lock lk = w.Acquire();
        DialogInfo* pInfo = InfoOf(lk, hwndDialog);
        return !pInfo || pInfo->bEnded;
    };
    while (IsWindow(hwndDialog) && !ended()) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The dialog appears when its queue first runs dry.
            if (!bShown && !IsWindowVisible(hwndDialog))
                ShowWindow(hwndDialog, SW_SHOWNORMAL);
            bShown = true;
            if (hwndOwner && !(GetWindowLongA(hwndDialog, GWL_STYLE) & DS_NOIDLEMSG))
                SendMessageA(hwndOwner, WM_ENTERIDLE, MSGF_DIALOGBOX,
                             reinterpret_cast<LPARAM>(hwndDialog));
            if (ended())
                break;
            GetMessageA(&msg, nullptr, 0, 0);
        }
        if (msg.message == WM_QUIT) {
            // Not for this loop: it ends, and the quit goes on to the loop around it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(hwndDialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    INT_PTR nResult = -1;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (DialogInfo* pInfo = InfoOf(lk, hwndDialog))
            nResult = pInfo->nResult;
    }
    if (IsWindow(hwndDialog))
        DestroyWindow(hwndDialog);
    return nResult;
}

LRESULT CALLBACK DialogClassProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    return DefDlgProcA(hwnd, nMessage, wParam, lParam);
}

}  // namespace sim::win

using namespace sim::win;

LRESULT WINAPI DefDlgProcA(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    bool bDialog = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        bDialog = InfoOf(lk, hwnd) != nullptr;
    }
    if (!bDialog)
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);

    const auto pfnDlgProc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(hwnd, DWLP_DLGPROC));
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
    const INT_PTR nHandled = pfnDlgProc ? pfnDlgProc(hwnd, nMessage, wParam, lParam) : 0;
    if (!IsWindow(hwnd))
        return 0;
    if (nHandled)
        return ReturnsDirectly(nMessage) ? nHandled : GetWindowLongPtrA(hwnd, DWLP_MSGRESULT);

    switch (nMessage) {
        case WM_INITDIALOG:
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE)
                RestoreFocus(hwnd, true);
            return 0;
        case WM_SETFOCUS:
            RestoreFocus(hwnd, false);
            return 0;
        case DM_SETDEFID: {
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                InfoOf(lk, hwnd)->nDefId = static_cast<int>(wParam);
            }
            SetDefaultLook(hwnd, GetFocus());
            return TRUE;
        }
        case DM_GETDEFID: {
            int nDefId = 0;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                nDefId = InfoOf(lk, hwnd)->nDefId;
            }
            if (nDefId)
                return MAKELONG(nDefId, DC_HASDEFID);
            if (HWND h = FindDefaultLooking(hwnd))
                return MAKELONG(GetDlgCtrlID(h), DC_HASDEFID);
            return 0;
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
        case WM_CLOSE: {
            // The close box and Alt+F4 are the Cancel button.
            HWND hwndCancel = GetDlgItem(hwnd, IDCANCEL);
            if (hwndCancel && !IsWindowEnabled(hwndCancel))
                return 0;
            PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hwndCancel));
            return 0;
        }
        case WM_GETFONT: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            return reinterpret_cast<LRESULT>(InfoOf(lk, hwnd)->hFont);
        }
        default:
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

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

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA pTemplate,
                                       HWND hwndOwner, DLGPROC pfnDlgProc, LPARAM lParam)
{
    DialogTemplate t;
    if (!ParseDialogTemplate(pTemplate, &t))
        return -1;
    if (hwndOwner) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        hwndOwner = TopLevelOf(lk, hwndOwner);
    }
    const HWND hwnd = CreateDialogFromTemplate(hInstance, t, hwndOwner, pfnDlgProc, lParam, true);
    if (!hwnd) {
        if (hwndOwner && !IsWindowEnabled(hwndOwner))
            EnableWindow(hwndOwner, TRUE);
        return -1;
    }
    return RunModal(hwnd, hwndOwner);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR pszTemplate, HWND hwndOwner,
                               DLGPROC pfnDlgProc, LPARAM lParam)
{
    HRSRC hResource = FindResourceA(hInstance, pszTemplate, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!hResource)
        return -1;
    return DialogBoxIndirectParamA(
        hInstance, static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(hInstance, hResource))),
        hwndOwner, pfnDlgProc, lParam);
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR nResult)
{
    HWND hwndOwner = nullptr;
    bool bEnableOwner = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || !p->pDialog) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        p->pDialog->bEnded = true;
        p->pDialog->nResult = nResult;
        bEnableOwner = p->pDialog->bOwnerDisabled;
        p->pDialog->bOwnerDisabled = false;
        hwndOwner = p->hwndOwner;
    }
    // The owner comes back before the dialog goes, so that it becomes active again.
    if (bEnableOwner && hwndOwner)
        EnableWindow(hwndOwner, TRUE);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hwndDialog, INT nId, UINT nMessage, WPARAM wParam,
                                   LPARAM lParam)
{
    HWND hwnd = GetDlgItem(hwndDialog, nId);
    return hwnd ? SendMessageA(hwnd, nMessage, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hwndDialog, INT nId, LPCSTR pszText)
{
    return static_cast<BOOL>(
        SendDlgItemMessageA(hwndDialog, nId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText)));
}

UINT WINAPI GetDlgItemTextA(HWND hwndDialog, INT nId, LPSTR pszBuffer, INT nMax)
{
    if (pszBuffer && nMax > 0)
        pszBuffer[0] = '\0';
    return static_cast<UINT>(SendDlgItemMessageA(hwndDialog, nId, WM_GETTEXT,
                                                 static_cast<WPARAM>(nMax),
                                                 reinterpret_cast<LPARAM>(pszBuffer)));
}

BOOL WINAPI CheckDlgButton(HWND hwndDialog, INT nId, UINT nCheck)
{
    SendDlgItemMessageA(hwndDialog, nId, BM_SETCHECK, nCheck, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hwndDialog, INT nId)
{
    return static_cast<UINT>(SendDlgItemMessageA(hwndDialog, nId, BM_GETCHECK, 0, 0));
}

BOOL WINAPI MapDialogRect(HWND hwndDialog, LPRECT pRect)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    DialogInfo* pInfo = InfoOf(lk, hwndDialog);
    if (!pInfo)
        return FALSE;
    pRect->left = MulDiv(pRect->left, pInfo->nBaseX, 4);
    pRect->right = MulDiv(pRect->right, pInfo->nBaseX, 4);
    pRect->top = MulDiv(pRect->top, pInfo->nBaseY, 8);
    pRect->bottom = MulDiv(pRect->bottom, pInfo->nBaseY, 8);
    return TRUE;
}

DWORD WINAPI GetDialogBaseUnits(void)
{
    int x = 0;
    int y = 0;
    BaseUnits(0, &x, &y);
    return MAKELONG(x, y);
}
