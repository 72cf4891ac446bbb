// The capture device: three buffers circulate between the driver and the device's worker
// thread, which hands every filled one to OnBuffer and gives it back while recording.
#pragma once

#include "wave/WaveDevice.h"

class CWaveIn : public CWaveDevice
{
public:
    CWaveIn();   // lists the input devices
    ~CWaveIn();  // does not close the device: the owner calls Close first

    LPCSTR GetDeviceName(UINT nIndex);
    BOOL Open(UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo, DWORD nFrames);
    BOOL Start();
    BOOL Close();

    // On the worker thread, for every returned buffer with at least one recorded byte.
    virtual void OnBuffer(CWaveBuffer* pBuffer);

    // The platform's thread: posts the returned header to the worker, and nothing else.
    static void CALLBACK WaveInProc(HWAVEIN hWaveIn, UINT uMsg, DWORD_PTR dwInstance,
                                    DWORD_PTR dwParam1, DWORD_PTR dwParam2);
    static UINT WaveInThreadProc(LPVOID pDevice);

protected:
    template <class TDevice>
    friend void DeleteWaveDevice(TDevice* pDevice);
    friend class CWaveBuffer;  // prepares its header with m_hWaveIn
    void Dismiss(void (*pfnDelete)(CWaveDevice*)) { CWaveDevice::Dismiss(m_pThread, pfnDelete); }

    HWAVEIN m_hWaveIn;
    // Written by the user-interface thread only; the worker reads it without the lock.
    std::atomic<BOOL> m_bRecording;
    CWaveBuffer* m_pBuffer[3];
    CWinThread* m_pThread;
    WAVEINCAPSA* m_pCaps;
};
