// Global memory. Blocks not asked to be zeroed are filled with a loud pattern, so that sound
// played from memory nobody wrote is heard (and seen by tests) instead of passing as silence.
#include "platform/sim/kernel/World.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>

using sim::Lock;
using sim::World;

namespace {

struct Block
{
    void* p = nullptr;
    size_t nSize = 0;
    int nLocks = 0;
};

std::unordered_map<HGLOBAL, Block>& Blocks()
{
    static auto* pBlocks = new std::unordered_map<HGLOBAL, Block>;
    return *pBlocks;
}

uintptr_t g_nNextHandle = 0x10000;

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT nFlags, SIZE_T nBytes)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    Block b;
    b.nSize = nBytes;
    // An injected fault fails as the host's memory running out does.
    b.p = w.TakeFault("GlobalAlloc") ? nullptr : std::malloc(nBytes ? nBytes : 1);
    if (!b.p) {
        sim::SetError(lk, ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memset(b.p, (nFlags & GMEM_ZEROINIT) ? 0 : 0xA5, nBytes);
    HGLOBAL h;
    if (nFlags & GMEM_MOVEABLE) {
        h = reinterpret_cast<HGLOBAL>(g_nNextHandle);
        g_nNextHandle += 8;
    } else {
        h = static_cast<HGLOBAL>(b.p);
    }
    Blocks()[h] = b;
    ++w.m_live.nGlobalBlocks;
    return h;
}

LPVOID WINAPI GlobalLock(HGLOBAL h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto it = Blocks().find(h);
    if (it == Blocks().end()) {
        w.Misuse("GlobalLock of a handle that is not allocated");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ++it->second.nLocks;
    return it->second.p;
}

BOOL WINAPI GlobalUnlock(HGLOBAL h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto it = Blocks().find(h);
    if (it == Blocks().end()) {
        w.Misuse("GlobalUnlock of a handle that is not allocated");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (it->second.nLocks == 0) {
        sim::SetError(lk, ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--it->second.nLocks == 0) {
        sim::SetError(lk, NO_ERROR);
        return FALSE;
    }
    return TRUE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL h)
{
    Lock lk = World::Get().Acquire();
    auto it = Blocks().find(h);
    return it == Blocks().end() ? 0 : it->second.nSize;
}

// The handle of a block from its address, as a locked moveable block's owner finds it again.
HGLOBAL WINAPI GlobalHandle(LPCVOID p)
{
    Lock lk = World::Get().Acquire();
    for (const auto& [h, b] : Blocks())
        if (b.p == p)
            return h;
    sim::SetError(lk, ERROR_INVALID_HANDLE);
    return nullptr;
}

// Windows frees a block whether or not it is locked.
HGLOBAL WINAPI GlobalFree(HGLOBAL h)
{
    World& w = World::Get();
    Lock lk = w.Acquire();
    auto it = Blocks().find(h);
    if (it == Blocks().end()) {
        w.Misuse("GlobalFree of a handle that is not allocated (freed twice?)");
        sim::SetError(lk, ERROR_INVALID_HANDLE);
        return h;
    }
    for (auto& guard : w.m_memoryGuards)
        guard(it->second.p, it->second.nSize);
    std::free(it->second.p);
    Blocks().erase(it);
    --w.m_live.nGlobalBlocks;
    return nullptr;
}
