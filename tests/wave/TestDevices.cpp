#include "tests/wave/TestDevices.h"

namespace {

std::mutex g_mutex;
std::set<const void*> g_live;

}  // namespace

void CLiveDevices::Add(const void* p)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.insert(p);
}

void CLiveDevices::Remove(const void* p)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_live.erase(p);
}

bool CLiveDevices::Has(const void* p)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_live.count(p) != 0;
}

void CTestWaveIn::OnOpen()
{
    ++m_nOpens;
}

void CTestWaveIn::OnClose()
{
    ++m_nCloses;
    m_bWorkerGoneAtClose = m_pThread == nullptr;
}

void CTestWaveIn::OnBuffer(CWaveBuffer* pBuffer)
{
    ASSERT_TRUE(CLiveDevices::Has(this)) << "OnBuffer on a deleted capture device";
    if (m_pGate)
        m_pGate->Wait();
    const auto* p = static_cast<const int16_t*>(pBuffer->GetData());
    m_blocks.push_back({pBuffer, pBuffer->GetBytesRecorded(),
                        std::vector<int16_t>(p, p + pBuffer->GetBytesRecorded() / 2),
                        sim::NowUs()});
    if (m_pLog)
        m_pLog->push_back(m_blocks.back());
}

void CTestWaveOut::OnOpen()
{
    ++m_nOpens;
}

void CTestWaveOut::OnClose()
{
    ++m_nCloses;
    m_bWorkerAliveAtClose = m_pThread != nullptr;
}

void CTestWaveOut::OnBuffer(CWaveBuffer* pBuffer)
{
    ASSERT_TRUE(CLiveDevices::Has(this)) << "OnBuffer on a deleted playback device";
    if (m_pGate)
        m_pGate->Wait();
    m_returned.push_back(pBuffer);
}

int16_t Ramp(uint64_t nSample)
{
    return static_cast<int16_t>(nSample & 0xFFFF);
}

namespace {

struct GateOpening
{
    sim::Gate* pGate;
    DWORD nMilliseconds;
};

DWORD WINAPI OpenGate(LPVOID p)
{
    GateOpening* pOpening = static_cast<GateOpening*>(p);
    Sleep(pOpening->nMilliseconds);
    pOpening->pGate->Open();
    delete pOpening;
    return 0;
}

}  // namespace

HANDLE OpenGateLater(sim::Gate& gate, DWORD nMilliseconds)
{
    return CreateThread(nullptr, 0, OpenGate, new GateOpening{&gate, nMilliseconds}, 0, nullptr);
}
