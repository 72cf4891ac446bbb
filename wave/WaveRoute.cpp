#include "wave/WaveRoute.h"

#include "wave/WaveBlock.h"

#include <new>

CWaveRoute::CWaveRoute(CWaveDevice* pDevice) : m_pDevice(pDevice), m_nHolders(1) {}

CWaveRoute::~CWaveRoute()
{
    for (WAVEHDR* pHeader : m_parked)
        WaveBlock::Of(pHeader)->Free();
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

CWaveDevice* CWaveRoute::Enter()
{
    return m_gate.Enter() ? m_pDevice : nullptr;
}

void CWaveRoute::Leave()
{
    m_gate.Leave();
}

void CWaveRoute::Detach()
{
    // The wait ends because a callback inside does no more than take the device lock and post
    // one message. The lock is held at most for a worker's stop, which gives up after
    // WAVE_WORKER_TIMEOUT.
    m_gate.Withdraw();
}

void CWaveRoute::Park(WAVEHDR* pHeader)
{
    m_parked.push_back(pHeader);
}
