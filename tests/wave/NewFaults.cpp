#include "tests/wave/NewFaults.h"

#include <atomic>
#include <new>

namespace {

std::atomic<int> g_nSkip{-1};  // -1: no fault armed

bool Fails()
{
    int n = g_nSkip.load();
    while (n >= 0 && !g_nSkip.compare_exchange_weak(n, n - 1)) {
    }
    return n == 0;
}

}  // namespace

void FailNothrowNew(int nSkip)
{
    g_nSkip = nSkip;
}

// The throwing forms do the work, so that every allocation pairs with the usual delete.
void* operator new(std::size_t nBytes, const std::nothrow_t&) noexcept
{
    if (Fails())
        return nullptr;
    try {
        return ::operator new(nBytes);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t nBytes, const std::nothrow_t&) noexcept
{
    if (Fails())
        return nullptr;
    try {
        return ::operator new[](nBytes);
    } catch (...) {
        return nullptr;
    }
}
