// ShellExecuteA, recorded instead of carried out: no browser or mail program runs in a test.
#include "platform/sim/kernel/World.h"
#include "platform/sim/shell.h"

using sim::Lock;
using sim::World;

namespace {

std::vector<sim::ShellCall>& Calls()
{
    static auto* pCalls = new std::vector<sim::ShellCall>;
    return *pCalls;
}

const bool g_bRegistered = [] {
    World::Get().OnReset([] { Calls().clear(); });
    return true;
}();

std::string Text(LPCSTR psz)
{
    return psz ? psz : "";
}

}  // namespace

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR pszVerb, LPCSTR pszFile, LPCSTR pszParameters,
                               LPCSTR pszDirectory, INT nShow)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Calls().push_back(
        {hwnd, Text(pszVerb), Text(pszFile), Text(pszParameters), Text(pszDirectory), nShow});
    // Above 32 is success; a fault gives one of the small error codes (SE_ERR_NOASSOC ...).
    const long long nResult = w.TakeFault("ShellExecuteA").value_or(42);
    return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(nResult));
}

namespace sim {

std::vector<ShellCall> ShellCalls()
{
    Lock lk = World::Get().Acquire();
    return Calls();
}

}  // namespace sim
