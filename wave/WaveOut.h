// The playback device: plays the buffers its user writes, in order, and hands each one the
// driver has finished with to OnBuffer on its worker thread. It owns no buffers: its user
// prepares them for it with PrepareOut and keeps them.
#pragma once

#include "wave/WaveDevice.h"

class CWaveOut : public CWaveDevice
{
public:
    CWaveOut();   // lists the output devices
    ~CWaveOut();  // does not close the device: the owner calls Close first

    LPCSTR GetDeviceName(UINT nIndex);
    BOOL Open(UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo);
    // From the buffer's write until the driver returns it, the buffer is the driver's.
    BOOL Write(CWaveBuffer* pBuffer);
    BOOL Close();

    // On the worker thread, for every buffer the driver has finished with.
    virtual void OnBuffer(CWaveBuffer* pBuffer);

    static void CALLBACK WaveOutProc(HWAVEOUT hWaveOut, UINT uMsg, DWORD_PTR dwInstance,
                                     DWORD_PTR dwParam1, DWORD_PTR dwParam2);
    static UINT WaveOutThreadProc(LPVOID pDevice);

protected:
    template <class TDevice>
    friend void DeleteWaveDevice(TDevice* pDevice);
    friend class CWaveBuffer;  // prepares its header with m_hWaveOut
    void Dismiss(void (*pfnDelete)(CWaveDevice*)) { CWaveDevice::Dismiss(m_pThread, pfnDelete); }

    HWAVEOUT m_hWaveOut;
    CWinThread* m_pThread;
    WAVEOUTCAPSA* m_pCaps;
};
