// A critical section in the framework's style: Lock and Unlock around a CRITICAL_SECTION that
// lives as long as the object.
#pragma once

#include "platform/win32.h"

class CCriticalSection
{
public:
    CCriticalSection();
    ~CCriticalSection();
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    // Waits without limit; the owner may lock again (each Lock needs its Unlock).
    BOOL Lock();
    BOOL Unlock();

    CRITICAL_SECTION m_sect;
};
