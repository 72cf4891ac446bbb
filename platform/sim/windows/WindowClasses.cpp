// Window classes: the window system's built-in ones and a test's own, found by a name that is
// matched without regard to case.
#include "platform/sim/windows/WindowSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

namespace {

std::vector<std::shared_ptr<WindowClass>>& BuiltInClasses()
{
    static auto* pClasses = new std::vector<std::shared_ptr<WindowClass>>;
    return *pClasses;
}

}  // namespace

bool SameClassName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::shared_ptr<WindowClass> FindClass(Lock& lk, const std::string& name)
{
    State& s = S(lk);
    for (auto& p : s.classes)
        if (SameClassName(p->name, name))
            return p;
    for (auto& p : BuiltInClasses())
        if (SameClassName(p->name, name) && (!p->bCommonControl || s.bCommonControls))
            return p;
    return nullptr;
}

void AddBuiltInClass(const WindowClass& cls)
{
    BuiltInClasses().push_back(std::make_shared<WindowClass>(cls));
}

LRESULT NotSimulated(HWND hwnd, UINT nMessage)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Window* p = Find(lk, hwnd);
    char text[96];
    std::snprintf(text, sizeof text, "message 0x%04X to a %s, which the simulation does not model",
                  nMessage, p ? p->pClass->name.c_str() : "window");
    w.Misuse(text);
    return 0;
}

}  // namespace sim::win

using namespace sim::win;

ATOM WINAPI RegisterClassA(const WNDCLASSA* pClass)
{
    Lock lk = World::Get().Acquire();
    State& s = S(lk);
    auto p = std::make_shared<WindowClass>();
    p->name = pClass->lpszClassName;
    p->pfnProc = pClass->lpfnWndProc;
    p->cbWndExtra = pClass->cbWndExtra;
    p->hInstance = pClass->hInstance;
    s.classes.push_back(p);
    return static_cast<ATOM>(0xC000 + s.classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR pszClassName, HINSTANCE)
{
    Lock lk = World::Get().Acquire();
    auto& v = S(lk).classes;
    auto it = std::find_if(v.begin(), v.end(),
                           [&](const auto& p) { return SameClassName(p->name, pszClassName); });
    if (it == v.end()) {
        SetError(lk, ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    v.erase(it);
    return TRUE;
}

INT WINAPI GetClassNameA(HWND hwnd, LPSTR pszBuffer, INT nMax)
{
    Lock lk = World::Get().Acquire();
    Window* p = FindOrFail(lk, hwnd);
    if (!p)
        return 0;
    return CopyAnsi(FromAnsi(p->pClass->name.c_str()), pszBuffer, nMax);
}
