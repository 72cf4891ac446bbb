// The "ComboBox" class as a drop-down list (CBS_DROPDOWNLIST): items with a pointer-sized item
// data each, kept in the order they are added (CBS_SORT is not simulated), and a selection. The
// program's own CB_ messages notify nobody. The list a person opens and picks from, with the
// mouse or the keyboard, is not simulated: a test makes the person's choice with the selection
// and the CBN_SELCHANGE it gives (tests/support/Input.h), and the open list is tested under Wine.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>

using sim::Lock;
using sim::SetError;
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
    int nSel = -1;
};

bool Valid(const ComboData& c, WPARAM nIndex)
{
    return static_cast<INT_PTR>(nIndex) >= 0 && nIndex < c.items.size();
}

// The first item after nStart (wrapping round to it) whose text passes the test; CB_ERR for none.
template <class Match>
LRESULT Search(const ComboData& c, WPARAM nStart, Match match)
{
    const int n = static_cast<int>(c.items.size());
    const int nFrom = Valid(c, nStart) ? static_cast<int>(nStart) + 1 : 0;
    for (int k = 0; k < n; ++k) {
        const int i = (nFrom + k) % n;
        if (match(c.items[static_cast<size_t>(i)].text))
            return i;
    }
    return CB_ERR;
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
{
    switch (nMessage) {
        case WM_CREATE: {
            World& w = World::Get();
            Lock lk = w.Acquire();
            Window* pw = Find(lk, hwnd);
            if (pw->nStyle & CBS_SORT)
                w.Misuse("a combo box with CBS_SORT: sorted lists are not simulated");
            // The template's height is that of the open list; the closed box is as high as its
            // text, which a dialog's placement of its controls shows.
            Window* pDialog = DialogOf(lk, pw->hwndParent);
            const int nTextHeight =
                pDialog && pDialog->pDialog->nBaseY ? pDialog->pDialog->nBaseY : 16;
            pw->rect.bottom = pw->rect.top + nTextHeight + 8;
            pw->pData = std::make_shared<ComboData>();
            return 0;
        }
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFONT:
        case WM_GETFONT:
            return ControlFont(hwnd, nMessage, wParam);
        default:
            break;
    }

    // The list's messages, on the list's state alone.
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto pData = Data<ComboData>(lk, hwnd);
    if (!pData) {
        lk.unlock();
        return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
    ComboData& c = *pData;
    switch (nMessage) {
        case CB_ADDSTRING:
            c.items.push_back(Item{FromAnsi(reinterpret_cast<LPCSTR>(lParam)), 0});
            return static_cast<LRESULT>(c.items.size() - 1);
        case CB_GETCOUNT:
            return static_cast<LRESULT>(c.items.size());
        case CB_GETCURSEL:
            return c.nSel >= 0 ? c.nSel : CB_ERR;
        case CB_SETCURSEL:
            if (!Valid(c, wParam)) {
                c.nSel = -1;
                return CB_ERR;
            }
            c.nSel = static_cast<int>(wParam);
            return c.nSel;
        case CB_GETLBTEXT: {
            // No item, no text: the caller's buffer is left as it was.
            if (!Valid(c, wParam) || !lParam)
                return CB_ERR;
            const std::string ansi = ToAnsi(c.items[wParam].text);
            return CopyAnsi(c.items[wParam].text, reinterpret_cast<LPSTR>(lParam),
                            static_cast<int>(ansi.size()) + 1);
        }
        case CB_GETLBTEXTLEN:
            if (!Valid(c, wParam))
                return CB_ERR;
            return static_cast<LRESULT>(ToAnsi(c.items[wParam].text).size());
        case CB_SETITEMDATA:
            if (!Valid(c, wParam))
                return CB_ERR;
            c.items[wParam].nData = lParam;
            return TRUE;
        case CB_GETITEMDATA:
            if (!Valid(c, wParam))
                return CB_ERR;
            return c.items[wParam].nData;
        case CB_FINDSTRING:
        case CB_SELECTSTRING: {
            // A prefix, whatever its case; an empty text matches nothing.
            const std::u16string prefix = FromAnsi(reinterpret_cast<LPCSTR>(lParam));
            if (prefix.empty())
                return CB_ERR;
            const LRESULT nFound = Search(
                c, wParam, [&](const std::u16string& s) { return StartsWithNoCase(s, prefix); });
            if (nMessage == CB_SELECTSTRING && nFound != CB_ERR)
                c.nSel = static_cast<int>(nFound);
            return nFound;
        }
        case WM_GETTEXT:
            if (c.nSel < 0) {
                if (lParam && wParam)
                    *reinterpret_cast<LPSTR>(lParam) = '\0';
                return 0;
            }
            return CopyAnsi(c.items[static_cast<size_t>(c.nSel)].text,
                            reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        default:
            lk.unlock();
            if (nMessage >= CB_GETEDITSEL && nMessage < CB_MSGMAX)
                return NotSimulated(hwnd, nMessage);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
    }
}

const bool g_bRegistered = [] {
    WindowClass cls;
    cls.name = "ComboBox";
    cls.pfnProc = ComboProc;
    AddBuiltInClass(cls);
    return true;
}();

}  // namespace

sim::ListState ListOf(Lock& lk, HWND hwnd)
{
    sim::ListState state;
    auto p = Data<ComboData>(lk, hwnd);
    if (!p)
        return state;
    for (const Item& item : p->items) {
        state.items.push_back(ToAnsi(item.text));
        state.data.push_back(item.nData);
    }
    state.nSelection = p->nSel;
    return state;
}

}  // namespace sim::win
