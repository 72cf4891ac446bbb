// Painting and the little of GDI that windows use: update regions (one flag per window, the
// whole window), WM_PAINT made up by the queue, the device contexts of BeginPaint, and icons
// drawn, which are recorded for tests to read.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::ThreadState;
using sim::World;

namespace sim::win {

namespace {

// The first window of the thread to paint, parents before their children.
HWND FirstToPaint(Lock& lk, HWND hwnd, DWORD nThread)
{
    Window* p = Find(lk, hwnd);
    if (p->bNeedPaint && p->nThread == nThread && p->life != Life::Destroying && IsShown(lk, *p))
        return hwnd;
    for (HWND h : p->children)
        if (HWND hFound = FirstToPaint(lk, h, nThread))
            return hFound;
    return nullptr;
}

}  // namespace

void Invalidate(Lock& lk, Window& w, bool bErase, bool bChildren)
{
    w.bNeedPaint = true;
    w.bErase = w.bErase || bErase;
    if (bChildren)
        for (HWND h : w.children)
            if (Window* p = Find(lk, h))
                Invalidate(lk, *p, bErase, true);
    World& world = World::Get();
    if (auto pThread = world.FindThread(w.nThread))
        world.Wake(*pThread);
}

bool SynthesizePaint(Lock& lk, ThreadState& self, MSG* pMsg)
{
    for (HWND hTop : S(lk).topLevel) {
        if (HWND h = FirstToPaint(lk, hTop, self.nId)) {
            *pMsg = MSG{};
            pMsg->hwnd = h;
            pMsg->message = WM_PAINT;
            pMsg->time = static_cast<DWORD>(World::Get().Now() / 1000);
            return true;
        }
    }
    return false;
}

}  // namespace sim::win

using namespace sim::win;

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT pPaint)
{
    HDC hdc = nullptr;
    bool bErase = false;
    {
        Lock lk = World::Get().Acquire();
        Window* p = FindOrFail(lk, hwnd);
        if (!p)
            return nullptr;
        State& s = S(lk);
        hdc = reinterpret_cast<HDC>(s.nNextDc);
        s.nNextDc += 4;
        s.dcs[hdc] = hwnd;
        bErase = p->bErase;
        p->bErase = false;
        p->bNeedPaint = false;
        *pPaint = PAINTSTRUCT{};
        pPaint->hdc = hdc;
        pPaint->rcPaint = ClientRectOf(*p);
    }
    pPaint->fErase = bErase && !SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    return hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* pPaint)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    if (S(lk).dcs.erase(pPaint->hdc) == 0)
        w.Misuse("EndPaint without BeginPaint");
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT*, BOOL bErase)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return FALSE;
    Invalidate(lk, *p, bErase != FALSE, false);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT pRect, BOOL)
{
    Lock lk = World::Get().Acquire();
    Window* p = Find(lk, hwnd);
    if (!p)
        return FALSE;
    if (pRect)
        *pRect = p->bNeedPaint ? ClientRectOf(*p) : RECT{0, 0, 0, 0};
    return p->bNeedPaint;
}

BOOL WINAPI DrawIcon(HDC hdc, INT x, INT y, HICON hIcon)
{
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    auto it = s.dcs.find(hdc);
    if (it == s.dcs.end() || !s.icons.count(hIcon)) {
        SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Every device context is one of BeginPaint.
    s.drawnIcons.push_back(sim::DrawIconRecord{it->second, x, y, hIcon, true});
    return TRUE;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA*)
{
    static uintptr_t nNext = 0x60000;
    Lock lk = World::Get().Acquire();
    nNext += 4;
    return reinterpret_cast<HFONT>(nNext);
}
