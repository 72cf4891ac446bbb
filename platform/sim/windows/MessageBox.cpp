// Message boxes: as on Windows a small modal dialog with the text and a button for each answer
// of its type, whose loop keeps the thread's other windows, their timers included, at work
// while it waits. Each box is recorded for tests, which answer it as a person would.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

struct Button
{
    int nId;
    const char16_t* pszText;
};

// The buttons of the two kinds of box the tests use; any other kind is misuse.
std::vector<Button> ButtonsOf(UINT nType)
{
    switch (nType & MB_TYPEMASK) {
        case MB_OK:
            return {{IDOK, u"OK"}};
        case MB_YESNO:
            return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
        default: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            w.Misuse("a message box of type " + std::to_string(nType & MB_TYPEMASK) +
                     ", which is not simulated");
            return {{IDOK, u"OK"}};
        }
    }
}

INT_PTR CALLBACK MessageBoxProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            const UINT nType = static_cast<UINT>(lParam);
            const std::vector<Button> buttons = ButtonsOf(nType);
            const size_t nDefault = std::min<size_t>((nType & MB_DEFMASK) >> 8, buttons.size() - 1);
            SendMessageA(hwnd, DM_SETDEFID, static_cast<WPARAM>(buttons[nDefault].nId), 0);
            SetFocus(GetDlgItem(hwnd, buttons[nDefault].nId));
            return FALSE;
        }
        case WM_COMMAND: {
            const UINT nType = static_cast<UINT>(GetWindowLongPtrA(hwnd, DWLP_USER));
            int nId = LOWORD(wParam);
            if (nId == IDCANCEL) {
                // Esc answers Cancel, or OK in a box that has only OK, and nothing else.
                bool bHasCancel = false;
                for (const Button& b : ButtonsOf(nType))
                    bHasCancel = bHasCancel || b.nId == IDCANCEL;
                if (!bHasCancel) {
                    if ((nType & MB_TYPEMASK) != MB_OK)
                        return TRUE;
                    nId = IDOK;
                }
            }
            EndDialog(hwnd, nId);
            return TRUE;
        }
        default:
            return FALSE;
    }
}

DialogTemplate TemplateOf(const std::u16string& text, const std::u16string& caption, UINT nType)
{
    DialogTemplate t;
    t.nStyle =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER | DS_NOIDLEMSG;
    t.title = caption;
    const std::vector<Button> buttons = ButtonsOf(nType);
    const short nWidth = static_cast<short>(std::max<size_t>(160, 55 * buttons.size() + 15));
    t.cx = nWidth;
    t.cy = 62;
    DialogItem label;
    label.nStyle = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    label.x = 10;
    label.y = 10;
    label.cx = static_cast<short>(nWidth - 20);
    label.cy = 24;
    label.nId = 0xFFFF;
    label.className = "Static";
    label.text = text;
    t.items.push_back(label);
    short x = 10;
    for (const Button& b : buttons) {
        DialogItem button;
        button.nStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
        button.x = x;
        button.y = 40;
        button.cx = 50;
        button.cy = 14;
        button.nId = static_cast<DWORD>(b.nId);
        button.className = "Button";
        button.text = b.pszText;
        t.items.push_back(button);
        x = static_cast<short>(x + 55);
    }
    return t;
}

}  // namespace

}  // namespace sim::win

using namespace sim::win;

INT WINAPI MessageBoxA(HWND hwndOwner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
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
        sim::MessageBoxRecord record;
        record.hwndOwner = hwndOwner;
        record.text = pszText ? pszText : "";
        record.caption = pszCaption ? pszCaption : "Error";
        record.nType = nType;
        record.bOpen = true;
        State& s = S(lk);
        s.messageBoxes.push_back(MessageBoxState{nullptr, record});
        nRecord = s.messageBoxes.size() - 1;
    }
    const DialogTemplate t =
        TemplateOf(FromAnsi(pszText), pszCaption ? FromAnsi(pszCaption) : u"Error", nType);
    const HWND hwnd = CreateDialogFromTemplate(ModuleHandle(), t, hwndOwner, MessageBoxProc,
                                               static_cast<LPARAM>(nType), true);
    if (hwnd) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        S(lk).messageBoxes[nRecord].hwndBox = hwnd;
    }
    const INT nAnswer = hwnd ? static_cast<INT>(RunModal(hwnd, hwndOwner)) : 0;
    World& w = World::Get();
    Lock lk = w.Acquire();
    State& s = S(lk);
    if (nRecord >= s.messageBoxes.size())
        return nAnswer;
    MessageBoxState& box = s.messageBoxes[nRecord];
    box.record.bOpen = false;
    box.record.nAnswer = nAnswer;
    box.hwndBox = nullptr;
    return nAnswer;
}
