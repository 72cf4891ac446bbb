// What the capture and the playback device share: the device error codes, the thread message
// of the worker scheme, the device base, and the owner's way to delete a device.
//
// How the wave layer works. A device (CWaveIn, CWaveOut) opens a platform device whose driver
// calls back on a thread of its own. The callback reaches a CWaveRoute, not the device: the
// route outlives the device until the driver's close notice, and lets the callback through to
// the device only until the device withdraws (CEntryGate). The callback does no more than post
// the returned header to the device's worker thread, which hands the buffer to OnBuffer. A
// CWaveBuffer is one WaveBlock (header, then data) prepared for one device; a buffer that the
// driver may still hold or call back about is never freed by its owner: it is parked in the
// route, which frees it with itself. The owner ends a device with Close, then
// DeleteWaveDevice; the object goes when the last thread that reaches it lets go (the owner, or
// a worker that Close could not stop).
//
// The states of a device, from constructed to deleted. "Owner" is the thread that made it (the
// panel's); the playback buffers belong to the device's user (CEchoWaveIn prepares four for the
// panel's playback device in OnOpen and releases them in OnClose).
//
//  state         how it is reached        platform device,  capture buffers   device object,
//                                         route             (CWaveIn)         threads reaching it
//  closed        constructed, or a Close  none              none, or those    the owner's;
//                that succeeded                             an outlived       owner
//                                                           worker left (*)
//  open          Open succeeded           open; route held  three, the        the owner's;
//                                         by the device     device's; the     owner, driver's
//                                         and the driver    driver's while    callback (through
//                                                           queued            the route), worker
//  close failed  a reset or close of the  open; route still those the driver  the owner's, who
//                platform device failed   attached          still holds stay  can only delete it;
//                                                                             owner, callback, and
//                                                                             for CWaveOut the
//                                                                             worker
//  outlived      Close could not stop the closed; route     left to the       the owner's, Open
//                worker within            detached, the     worker (*); no    refused until the
//                WAVE_WORKER_TIMEOUT      driver's until    OnClose           worker ends (the
//                                         its close notice                    echo capture device
//                                                                             then takes the
//                                                                             panel's playback
//                                                                             device); owner,
//                                                                             worker
//  dismissed     DeleteWaveDevice while   as it was         as it was         the last worker's,
//                a worker still reaches                                       told to quit; it
//                it                                                           deletes the object
//                                                                             as it ends; worker
//  deleted       DeleteWaveDevice with    the route is      freed; those the  gone; the callback
//                no worker left, or the   freed by its last driver still      reaches only the
//                last worker's end        holder            holds parked in   route
//                                                           the route
// (*) freed at the next Open, or with the object.
// A playback buffer the driver holds or owes a notice for when its user releases it is parked
// in the route the same way (CWaveBuffer::Release).
#pragma once

#include "framework/CriticalSection.h"
#include "framework/WinThread.h"
#include "platform/win32.h"

#include <atomic>
#include <new>

// Device error codes (m_nError): written only on failure, so a success leaves the last one.
enum {
    WDE_NONE = 0,       // no error
    WDE_NODEVICE = 1,   // no device of this kind
    WDE_BADFORMAT = 2,  // format not supported
    WDE_ALLOCATED = 3,  // device already in use
    WDE_NOMEM = 4,      // out of memory
    WDE_BADINDEX = 5,   // device index out of range
    WDE_FAILED = 6,     // any other failure
};

// Posted by a device's callback to its worker thread for every buffer the driver returns.
constexpr UINT WM_WAVEBUFFER = WM_USER + 10;

// How long a close waits for the worker to end before it gives up on it.
constexpr DWORD WAVE_WORKER_TIMEOUT = 10000;

class CWaveBuffer;
class CWaveRoute;

template <class TDevice>
void DeleteWaveDevice(TDevice* pDevice);

// No virtual destructor: an owner deletes a device through its most derived type, with
// DeleteWaveDevice below once it has been opened. The most derived classes are final, which
// also lets the compiler check that a delete names one of them.
class CWaveDevice
{
public:
    CWaveDevice();
    ~CWaveDevice();
    CWaveDevice(const CWaveDevice&) = delete;
    CWaveDevice& operator=(const CWaveDevice&) = delete;

    UINT GetDeviceCount() const { return m_nDevices; }

    // Hooks; the derived devices add OnBuffer.
    virtual void OnOpen();   // end of a successful Open
    virtual void OnClose();  // the platform device has been closed

protected:
    friend class CWaveBuffer;

    // After Close: whether a worker that the close could not stop still reaches the device
    // (it may be inside OnBuffer, and will be until it ends).
    BOOL IsReachedByWorker() const { return m_nReachers.load() > 1; }

    // The opening steps before the platform open: TRUE to go on, with m_wfx filled and a new
    // route in m_pRoute; FALSE with the reason in m_nError.
    BOOL BeginOpen(BOOL bOpen, UINT nDevice, DWORD nRate, WORD nBits, BOOL bStereo);
    // The platform open's result: TRUE when it opened (the driver now holds the route), else
    // FALSE with its reason in m_nError.
    BOOL EndOpen(MMRESULT nResult);
    // Detaches the device from its route and lets the route go: no callback reaches the device
    // any more.
    void DropRoute();

    // The worker thread, kept by the derived device in pThread; the lock guards it. A worker
    // reaches the device until its thread function calls LetGo, and the device is deleted only
    // after that (see DeleteWaveDevice).
    void StartWorker(CWinThread*& pThread, AFX_THREADPROC pfnThreadProc, LPVOID pDevice);
    // Posts WM_QUIT and waits for the end, at most WAVE_WORKER_TIMEOUT; forgets the worker
    // either way. TRUE when it ended (or there was none).
    BOOL StopWorker(CWinThread*& pThread);
    // Posts WM_QUIT and forgets the worker without waiting.
    void QuitWorker(CWinThread*& pThread);
    // Called by the worker as its thread function returns, and by the owner (through Dismiss)
    // when it deletes the device: the last to let go deletes it.
    void LetGo();
    void Dismiss(CWinThread*& pThread, void (*pfnDelete)(CWaveDevice*));

    // A product name that fills its field without a terminator is cut after its last whole
    // character (code page 932) and terminated.
    static void EndName(CHAR* pszName);

    // The device list, read at construction: m_nDevices and every device's capabilities, each
    // name ended; with no device, or a list that cannot be read, none and the reason in
    // m_nError.
    template <class TCaps, class TGetCaps>
    void ListDevices(UINT nDevices, TGetCaps pfnGetCaps, TCaps*& pCaps)
    {
        m_nDevices = nDevices;
        if (m_nDevices == 0) {
            m_nError = WDE_NODEVICE;
            return;
        }
        pCaps = new (std::nothrow) TCaps[m_nDevices];
        for (UINT i = 0; i < m_nDevices; ++i) {
            if (!pCaps || pfnGetCaps(i, &pCaps[i], sizeof(TCaps)) != MMSYSERR_NOERROR) {
                delete[] pCaps;
                pCaps = nullptr;
                m_nDevices = 0;
                m_nError = WDE_FAILED;
                return;
            }
            EndName(pCaps[i].szPname);
        }
    }
    // The name of device nIndex of the list, or nullptr with WDE_BADINDEX.
    template <class TCaps>
    LPCSTR NameOf(const TCaps* pCaps, UINT nIndex)
    {
        if (nIndex < m_nDevices)
            return pCaps[nIndex].szPname;
        m_nError = WDE_BADINDEX;
        return nullptr;
    }

    UINT m_nDevices;
    int m_nError;
    WAVEFORMATEX m_wfx;
    // Taken without a limit: its holders start a thread, post a message, or stop a worker,
    // which gives up after WAVE_WORKER_TIMEOUT.
    CCriticalSection m_csLock;

    // Beyond the device's own state: what the driver's callback reaches (set while the
    // platform device is open), and who else still reaches the object.
    CWaveRoute* m_pRoute;
    // A reference count of the threads that can still reach the device: the owner and each
    // worker whose function has not returned.
    std::atomic<int> m_nReachers;
    void (*m_pfnDelete)(CWaveDevice*);
};

// Deletes a device that may have been opened: call Close first, then this instead of delete.
// The object (and what a close had to leave to its worker: the capture buffers) is deleted at
// once when nothing else can reach it; else when the last of its workers has ended, on that
// worker's thread. That is a worker that Close could not stop within WAVE_WORKER_TIMEOUT (it may
// still be inside OnBuffer), or one that a failing platform reset or close left running (it is
// told to quit here). The driver's callback never reaches the deleted object: it reaches the
// device's route, which outlives the object until the driver's close notice. A derived device
// whose worker outlives Close gets no OnClose; its destructor runs once that worker has ended.
template <class TDevice>
void DeleteWaveDevice(TDevice* pDevice)
{
    if (pDevice)
        pDevice->Dismiss([](CWaveDevice* p) { delete static_cast<TDevice*>(p); });
}
