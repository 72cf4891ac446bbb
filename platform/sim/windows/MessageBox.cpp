// Message boxes of the two kinds the program and the tests show, MB_OK and MB_YESNO, the first
// button the default (any other kind or default button is misuse): as on Windows a modal dialog
// with a button for each answer, whose loop keeps the thread's other windows, their timers
// included, at work while it waits. Esc answers a box that has only OK, and no other. Each box
// is recorded, its text included, for tests, which answer it by its buttons' ids as a person
// would; how it looks and where it shows are Wine's.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

bool YesNo(UINT nType)
{
    return (nType & MB_TYPEMASK) == MB_YESNO;
}

INT_PTR CALLBACK MessageBoxProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            return TRUE;  // the focus to the first button
        case WM_COMMAND: {
            int nId = LOWORD(wParam);
            if (nId == IDCANCEL) {
                if (YesNo(static_cast<UINT>(GetWindowLongPtrA(hwnd, DWLP_USER))))
                    return TRUE;
                nId = IDOK;
            }
            EndDialog(hwnd, nId);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

// The text above the buttons, as a person reads it, and the buttons.
DialogTemplate TemplateOf(const std::u16string& caption, const std::u16string& text, UINT nType)
{
    DialogTemplate t;
    t.nStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    t.title = caption;
    t.cx = 120;
    t.cy = 30;
    std::vector<std::pair<int, const char16_t*>> buttons{{IDOK, u"OK"}};
    if (YesNo(nType))
        buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    for (const auto& [nId, pszText] : buttons) {
        DialogItem button;
        button.nStyle = WS_VISIBLE | WS_TABSTOP | (t.items.empty() ? BS_DEFPUSHBUTTON : 0);
        button.x = static_cast<short>(5 + 55 * t.items.size());
        button.y = 8;
        button.cx = 50;
        button.cy = 14;
        button.nId = static_cast<DWORD>(nId);
        button.className = "Button";
        button.text = pszText;
        t.items.push_back(button);
    }
    DialogItem label;
    label.nStyle = WS_VISIBLE;
    label.nId = 0xFFFF;
    label.className = "Static";
    label.text = text;
    t.items.push_back(label);
    return t;
}

}  // namespace

}  // namespace sim::win

using namespace sim::win;

INT WINAPI MessageBoxA(HWND hwndOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    const char* pszTitle = pszCaption ? pszCaption : "Error";
    size_t nRecord = 0;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (auto nResult = w.TakeFault("MessageBoxA"))
            return static_cast<INT>(*nResult);
        if (hwndOwner) {
            if (!Find(lk, hwndOwner)) {
                SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
                return 0;
            }
            hwndOwner = TopLevelOf(lk, hwndOwner);
        }
        if (((nType & MB_TYPEMASK) != MB_OK && !YesNo(nType)) || (nType & MB_DEFMASK))
            w.Misuse("a message box of type " + std::to_string(nType) + ", which is not simulated");
        State& s = S(lk);
        s.messageBoxes.push_back(
            MessageBoxState{{hwndOwner, pszText ? pszText : "", pszTitle, nType, true, 0}});
        nRecord = s.messageBoxes.size() - 1;
    }
    const HWND hwnd =
        CreateDialogFromTemplate(ModuleHandle(), TemplateOf(FromAnsi(pszTitle), FromAnsi(pszText ? pszText : ""), nType), hwndOwner,
                                 MessageBoxProc, nType, true);
    const INT nAnswer = hwnd ? static_cast<INT>(RunModal(hwnd)) : 0;
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    if (nRecord < s.messageBoxes.size()) {  // else the world was reset meanwhile
        s.messageBoxes[nRecord].record.bOpen = false;
        s.messageBoxes[nRecord].record.nAnswer = nAnswer;
    }
    return nAnswer;
}
