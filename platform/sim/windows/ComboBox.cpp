// The "ComboBox" class as a drop-down list (CBS_DROPDOWNLIST): items with a pointer-sized item
// data each, kept in the order they are added (CBS_SORT is not simulated), and a selection. The
// program's own CB_ messages notify nobody. The list a person opens and picks from, with the
// mouse or the keyboard, and the height of the closed box are Wine's: a test makes the person's
// choice with the selection and the CBN_SELCHANGE it gives (tests/support/Input.h).
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

struct Item
{
    std::u16string text;
    LPARAM nData = 0;
};

struct ComboData : ControlData
{
    std::vector<Item> items;
    int nSel = CB_ERR;  // none
};

bool Valid(const ComboData& c, WPARAM nIndex)
{
    return static_cast<INT_PTR>(nIndex) >= 0 && nIndex < c.items.size();
}

// CB_SELECTSTRING: the first item after nStart (round to it) that begins with the text, whatever
// its case; an empty text matches nothing.
LRESULT Select(ComboData& c, WPARAM nStart, const std::u16string& prefix)
{
    const int n = prefix.empty() ? 0 : static_cast<int>(c.items.size());
    const int nFrom = Valid(c, nStart) ? static_cast<int>(nStart) + 1 : 0;
    for (int k = 0; k < n; ++k) {
        const int i = (nFrom + k) % n;
        if (StartsWithNoCase(c.items[static_cast<size_t>(i)].text, prefix))
            return c.nSel = i;
    }
    return CB_ERR;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    if (nMessage == WM_GETDLGCODE)
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    Lock lk = World::Get().Acquire();
    if (nMessage == WM_NCCREATE) {  // a window's first message: every other one finds the data
        Window* pw = Find(lk, hwnd);
        if (pw->nStyle & CBS_SORT)
            World::Get().Misuse("a combo box with CBS_SORT: sorted lists are not simulated");
        pw->pData = std::make_shared<ComboData>();
    }
    // The list's messages, on the list's state alone.
    ComboData& c = *Data<ComboData>(lk, hwnd);
    switch (nMessage) {
        case CB_ADDSTRING:
            c.items.push_back(Item{FromAnsi(reinterpret_cast<LPCSTR>(lParam)), 0});
            return static_cast<LRESULT>(c.items.size() - 1);
        case CB_GETCOUNT:
            return static_cast<LRESULT>(c.items.size());
        case CB_GETCURSEL:
            return c.nSel;
        case CB_SETCURSEL:
            // Of no item: no selection.
            c.nSel = Valid(c, wParam) ? static_cast<int>(wParam) : CB_ERR;
            return c.nSel;
        case CB_GETLBTEXT:
        case CB_GETLBTEXTLEN:
        case CB_SETITEMDATA:
        case CB_GETITEMDATA: {
            // Of no item: CB_ERR, and the caller's buffer is left as it was.
            if (!Valid(c, wParam))
                return CB_ERR;
            Item& item = c.items[wParam];
            const int nLength = static_cast<int>(ToAnsi(item.text).size());
            if (nMessage == CB_GETLBTEXT)
                return CopyAnsi(item.text, reinterpret_cast<LPSTR>(lParam), nLength + 1);
            if (nMessage == CB_SETITEMDATA)
                item.nData = lParam;
            return nMessage == CB_GETITEMDATA   ? item.nData
                   : nMessage == CB_SETITEMDATA ? TRUE
                                                : nLength;
        }
        case CB_SELECTSTRING:
            return Select(c, wParam, FromAnsi(reinterpret_cast<LPCSTR>(lParam)));
        case WM_GETTEXT:
            return CopyAnsi(c.nSel < 0 ? u"" : c.items[static_cast<size_t>(c.nSel)].text,
                            reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        default:
            lk.unlock();
            if (nMessage >= CB_GETEDITSEL && nMessage < CB_MSGMAX)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    AddBuiltInClass({"ComboBox", ComboProc});
    return true;
}();

}  // namespace

}  // namespace sim::win
