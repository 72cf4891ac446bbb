// The window system's state and the access to it under the world lock.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::World;

namespace sim::win {

namespace {

State& Instance()
{
    static auto* pState = new State;
    return *pState;
}

// Between tests every window is gone: a test that leaves one alive has been told so by the
// fixture already, from the live counts.
const bool g_bRegistered = [] {
    World::Get().OnReset([] {
        State& s = Instance();
        World::Get().m_live.nWindows -= static_cast<int>(s.windows.size());
        s = State{};
    });
    return true;
}();

}  // namespace

State& S(Lock&)
{
    return Instance();
}

DWORD CurrentThread(Lock& lk)
{
    return World::Get().Current(lk).nId;
}

Window* Find(Lock& lk, HWND hwnd)
{
    return FindShared(lk, hwnd).get();
}

Window* FindOrFail(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    if (!p)
        SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
    return p;
}

std::shared_ptr<Window> FindShared(Lock& lk, HWND hwnd)
{
    State& s = S(lk);
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second;
}

}  // namespace sim::win
