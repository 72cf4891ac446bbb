#include "wave/WaveRoute.h"

#include "wave/WaveBuffer.h"

#include <new>

CWaveRoute::CWaveRoute(CWaveDevice* pDevice)
    : m_pDevice(pDevice), m_nInside(0), m_nHolders(1)
{
}

CWaveRoute::~CWaveRoute()
{
    for (WAVEHDR* pHeader : m_parked)
        CWaveBuffer::FreeMemory(pHeader);
}

CWaveRoute* CWaveRoute::Create(CWaveDevice* pDevice)
{
    return new (std::nothrow) CWaveRoute(pDevice);
}

void CWaveRoute::Hold()
{
    ++m_nHolders;
}

void CWaveRoute::Release()
{
    if (--m_nHolders == 0)
        delete this;
}

// Enter announces itself before it reads the device, and Detach clears the device before it
// reads the count (all sequentially consistent): either Enter sees null, or Detach sees the
// callback inside and waits for its Leave.
CWaveDevice* CWaveRoute::Enter()
{
    ++m_nInside;
    return m_pDevice.load();
}

void CWaveRoute::Leave()
{
    --m_nInside;
}

void CWaveRoute::Detach()
{
    m_pDevice.store(nullptr);
    // Without a limit: it guards the device's memory, and ends because a callback inside does no
    // more than take the device lock and post one message. The lock is held at most for a
    // worker's stop, which gives up after WAVE_WORKER_TIMEOUT.
    while (m_nInside.load() != 0)
        Sleep(0);
}

void CWaveRoute::Park(WAVEHDR* pHeader)
{
    m_parked.push_back(pHeader);
}
