#include "wave/EntryGate.h"

#include "platform/win32.h"

CEntryGate::CEntryGate() : m_nInside(0), m_bWithdrawn(false) {}

bool CEntryGate::Enter()
{
    ++m_nInside;
    return !m_bWithdrawn.load();
}

void CEntryGate::Leave()
{
    --m_nInside;
}

void CEntryGate::Withdraw()
{
    m_bWithdrawn.store(true);
    while (m_nInside.load() != 0)
        Sleep(0);
}
