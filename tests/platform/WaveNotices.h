// What a wave device's callback function was told, in order. The callback runs on the driver's
// thread and only records, under a critical section (which callbacks may take).
#pragma once

#include "platform/win32.h"

#include <vector>

class CWaveNotices
{
public:
    struct Notice
    {
        UINT nMessage;
        WAVEHDR* pHeader;
        DWORD nFlags;  // the header's flags when the notice arrived
        DWORD nBytesRecorded;
    };

    CWaveNotices()
    {
        InitializeCriticalSection(&m_cs);
        m_notices.reserve(64);
    }
    ~CWaveNotices() { DeleteCriticalSection(&m_cs); }

    static void CALLBACK InProc(HWAVEIN, UINT nMessage, DWORD_PTR nInstance, DWORD_PTR nParam1,
                                DWORD_PTR)
    {
        reinterpret_cast<CWaveNotices*>(nInstance)->Add(nMessage, nParam1);
    }
    static void CALLBACK OutProc(HWAVEOUT, UINT nMessage, DWORD_PTR nInstance, DWORD_PTR nParam1,
                                 DWORD_PTR)
    {
        reinterpret_cast<CWaveNotices*>(nInstance)->Add(nMessage, nParam1);
    }

    std::vector<Notice> Get()
    {
        EnterCriticalSection(&m_cs);
        std::vector<Notice> v = m_notices;
        LeaveCriticalSection(&m_cs);
        return v;
    }
    // Waits (polling) until n notices have arrived; false after nMilliseconds.
    bool WaitFor(size_t n, DWORD nMilliseconds)
    {
        const DWORD nStart = GetTickCount();
        while (Get().size() < n) {
            if (GetTickCount() - nStart > nMilliseconds)
                return false;
            Sleep(5);
        }
        return true;
    }

private:
    void Add(UINT nMessage, DWORD_PTR nParam1)
    {
        EnterCriticalSection(&m_cs);
        Notice n{nMessage, nullptr, 0, 0};
        if (nMessage == WIM_DATA || nMessage == WOM_DONE) {
            n.pHeader = reinterpret_cast<WAVEHDR*>(nParam1);
            n.nFlags = n.pHeader->dwFlags;
            n.nBytesRecorded = n.pHeader->dwBytesRecorded;
        }
        m_notices.push_back(n);
        LeaveCriticalSection(&m_cs);
    }

    CRITICAL_SECTION m_cs;
    std::vector<Notice> m_notices;
};

inline WAVEFORMATEX Pcm16(DWORD nRate, WORD nChannels)
{
    WAVEFORMATEX f{};
    f.wFormatTag = WAVE_FORMAT_PCM;
    f.nChannels = nChannels;
    f.nSamplesPerSec = nRate;
    f.wBitsPerSample = 16;
    f.nBlockAlign = static_cast<WORD>(2 * nChannels);
    f.nAvgBytesPerSec = nRate * f.nBlockAlign;
    return f;
}
