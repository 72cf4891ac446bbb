// The "ComboBox" class as a drop-down list (CBS_DROPDOWNLIST): items with a pointer-sized item
// data each, kept in the order they are added (CBS_SORT is not simulated), a selection, and a
// list that a click or F4 opens. The parent hears of a change of selection (CBN_SELCHANGE) only
// when a person makes it; the program's own CB_ messages notify nobody.
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
    bool bDropped = false;
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

void Notify(HWND hwnd, UINT nCode)
{
    NotifyParent(hwnd, nCode);
}

void DropDown(HWND hwnd)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<ComboData>(lk, hwnd);
        if (!p || p->bDropped)
            return;
    }
    Notify(hwnd, CBN_DROPDOWN);
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (auto p = Data<ComboData>(lk, hwnd))
        p->bDropped = true;
}

void CloseUp(HWND hwnd, bool bAccept)
{
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<ComboData>(lk, hwnd);
        if (!p || !p->bDropped)
            return;
    }
    Notify(hwnd, bAccept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (auto p = Data<ComboData>(lk, hwnd))
            p->bDropped = false;
    }
    Notify(hwnd, CBN_CLOSEUP);
}

// A selection made by a person: the parent hears of it when it changed.
void PersonSelects(HWND hwnd, int nIndex)
{
    bool bChanged = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<ComboData>(lk, hwnd);
        if (!p || nIndex < 0 || nIndex >= static_cast<int>(p->items.size()))
            return;
        bChanged = p->nSel != nIndex;
        p->nSel = nIndex;
        Invalidate(lk, *Find(lk, hwnd), true, false);
    }
    if (bChanged)
        Notify(hwnd, CBN_SELCHANGE);
}

LRESULT KeyDown(HWND hwnd, WPARAM nKey)
{
    int nSel = -1;
    int nCount = 0;
    bool bDropped = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        auto p = Data<ComboData>(lk, hwnd);
        nSel = p->nSel;
        nCount = static_cast<int>(p->items.size());
        bDropped = p->bDropped;
    }
    switch (nKey) {
        case VK_F4:
            if (bDropped)
                CloseUp(hwnd, true);
            else
                DropDown(hwnd);
            break;
        case VK_RETURN:
            CloseUp(hwnd, true);
            break;
        case VK_ESCAPE:
            CloseUp(hwnd, false);
            break;
        case VK_UP:
        case VK_LEFT:
            if (nSel > 0)
                PersonSelects(hwnd, nSel - 1);
            break;
        case VK_DOWN:
        case VK_RIGHT:
            if (nSel < nCount - 1)
                PersonSelects(hwnd, nSel + 1);
            break;
        case VK_HOME:
        case VK_PRIOR:
            PersonSelects(hwnd, 0);
            break;
        case VK_END:
        case VK_NEXT:
            PersonSelects(hwnd, nCount - 1);
            break;
        default:
            break;
    }
    return 0;
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
            auto p = std::make_shared<ComboData>();
            // The height in the template is that of the open list; the closed box is as high as
            // its text.
            // The scroll bar and border belong to the list, not to the box.
            pw->nStyle &= ~(WS_BORDER | WS_HSCROLL | WS_VSCROLL);
            Window* pDialog = DialogOf(lk, pw->hwndParent);
            const int nTextHeight =
                pDialog && pDialog->pDialog->nBaseY ? pDialog->pDialog->nBaseY : 16;
            pw->rect.bottom = pw->rect.top + nTextHeight + 8;
            pw->pData = p;
            return 0;
        }
        case WM_GETDLGCODE: {
            LRESULT nCode = DLGC_WANTARROWS | DLGC_WANTCHARS;
            const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
            World& w = World::Get();
            Lock lk = w.Acquire();
            auto p = Data<ComboData>(lk, hwnd);
            // An open list takes Enter and Esc for itself.
            if (p && p->bDropped && pMsg && pMsg->message == WM_KEYDOWN &&
                (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
                nCode |= DLGC_WANTMESSAGE;
            return nCode;
        }
        case WM_LBUTTONDOWN: {
            SetFocus(hwnd);
            bool bDropped = false;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<ComboData>(lk, hwnd);
                bDropped = p && p->bDropped;
            }
            if (bDropped)
                CloseUp(hwnd, false);
            else
                DropDown(hwnd);
            return 0;
        }
        case SIM_PICKITEM: {
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<ComboData>(lk, hwnd);
                if (!p || !p->bDropped)
                    return FALSE;
            }
            PersonSelects(hwnd, static_cast<int>(wParam));
            CloseUp(hwnd, true);
            return TRUE;
        }
        case WM_KEYDOWN:
            return KeyDown(hwnd, wParam);
        case WM_SYSKEYDOWN:
            if (wParam == VK_DOWN || wParam == VK_UP)
                return KeyDown(hwnd, VK_F4);
            return DefWindowProcA(hwnd, nMessage, wParam, lParam);
        case WM_CHAR: {
            LRESULT nFound = CB_ERR;
            {
                World& w = World::Get();
                Lock lk = w.Acquire();
                auto p = Data<ComboData>(lk, hwnd);
                const std::u16string prefix(1, static_cast<char16_t>(wParam & 0xFF));
                nFound = Search(*p, static_cast<WPARAM>(p->nSel), [&](const std::u16string& s) {
                    return StartsWithNoCase(s, prefix);
                });
            }
            if (nFound != CB_ERR)
                PersonSelects(hwnd, static_cast<int>(nFound));
            return 0;
        }
        case WM_SETFOCUS:
            Notify(hwnd, CBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            CloseUp(hwnd, false);
            Notify(hwnd, CBN_KILLFOCUS);
            return 0;
        case CB_SHOWDROPDOWN:
            if (wParam)
                DropDown(hwnd);
            else
                CloseUp(hwnd, false);
            return TRUE;
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
            Invalidate(lk, *Find(lk, hwnd), true, false);
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
            if (nMessage == CB_SELECTSTRING && nFound != CB_ERR) {
                c.nSel = static_cast<int>(nFound);
                Invalidate(lk, *Find(lk, hwnd), true, false);
            }
            return nFound;
        }
        case CB_GETDROPPEDSTATE:
            return c.bDropped;
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
    state.bDropped = p->bDropped;
    return state;
}

}  // namespace sim::win
