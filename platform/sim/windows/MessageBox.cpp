// Message boxes of the two kinds the program and the tests show, MB_OK and MB_YESNO, the first
// button the default (any other kind or default button is misuse): as on Windows a modal dialog
// with a button for each answer, whose loop keeps the thread's other windows, their timers
// included, at work while it waits. Esc answers a box that has only OK, and no other. Each box
// is recorded, its text included, for tests, which answer it by its buttons' ids as a person
// would; how it looks and where it shows are Wine's.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
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
DialogTemplate TemplateOf(const std::string& caption, const std::string& text, UINT nType)
{
    DialogTemplate t;
    t.nStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME;
    t.title = FromAnsi(caption.c_str());
    t.cx = 120;
    t.cy = 30;
    std::vector<std::pair<int, const char16_t*>> buttons{{IDOK, u"OK"}};
    if (YesNo(nType))
        buttons = {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    // Each item: its style and extended style, its place and size in dialog units, its id, its
    // class and its text.
    for (const auto& [nId, pszText] : buttons) {
        const DWORD nStyle = WS_VISIBLE | WS_TABSTOP | (t.items.empty() ? BS_DEFPUSHBUTTON : 0);
        const auto x = static_cast<short>(5 + 55 * t.items.size());
        t.items.push_back({nStyle, 0, x, 8, 50, 14, static_cast<DWORD>(nId), "Button", pszText});
    }
    t.items.push_back({WS_VISIBLE, 0, 0, 0, 0, 0, 0xFFFF, "Static", FromAnsi(text.c_str())});
    return t;
}

}  // namespace

}  // namespace sim::win

using namespace sim::win;

INT WINAPI MessageBoxA(HWND hwndOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    const std::string text = pszText ? pszText : "";
    const std::string caption = pszCaption ? pszCaption : "Error";
    size_t nRecord = 0;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (auto nResult = w.TakeFault("MessageBoxA"))
            return static_cast<INT>(*nResult);
        if (hwndOwner) {
            if (!FindOrFail(lk, hwndOwner))
                return 0;
            hwndOwner = TopLevelOf(lk, hwndOwner);
        }
        if (((nType & MB_TYPEMASK) != MB_OK && !YesNo(nType)) || (nType & MB_DEFMASK))
            w.Misuse("a message box of type " + std::to_string(nType) + ", which is not simulated");
        State& s = S(lk);
        s.messageBoxes.push_back(MessageBoxState{{hwndOwner, text, caption, nType, true, 0}});
        nRecord = s.messageBoxes.size() - 1;
    }
    const HWND hwnd = CreateDialogFromTemplate(ModuleHandle(), TemplateOf(caption, text, nType),
                                               hwndOwner, MessageBoxProc, nType, true);
    const INT nAnswer = hwnd ? static_cast<INT>(RunModal(hwnd)) : 0;
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    if (nRecord < s.messageBoxes.size()) {  // else the world was reset meanwhile
        s.messageBoxes[nRecord].record.bOpen = false;
        s.messageBoxes[nRecord].record.nAnswer = nAnswer;
    }
    return nAnswer;
}
