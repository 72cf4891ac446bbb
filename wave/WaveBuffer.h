// One block of sound with its platform header, prepared for exactly one device.
#pragma once

#include "platform/win32.h"

class CWaveIn;
class CWaveOut;
class CWaveRoute;

// How long a close waits for the driver's notices of buffers it has already returned (a driver
// may call back after its reset has returned).
constexpr DWORD WAVE_NOTICE_TIMEOUT = 1000;

// Memory: a WaveBlock, locked for the buffer's life; the header's dwUser leads back to this
// object. A failed allocation leaves the buffer empty (no header, no data): its prepare returns
// 0 and its users skip it.
class CWaveBuffer
{
public:
    CWaveBuffer();
    virtual ~CWaveBuffer();
    CWaveBuffer(const CWaveBuffer&) = delete;
    CWaveBuffer& operator=(const CWaveBuffer&) = delete;

    // Allocate nFrames frames (0: 1024) in the format of an open capture or playback device and
    // prepare the header with its handle; non-zero when the platform prepared it.
    BOOL PrepareIn(CWaveIn* pDevice, DWORD nFrames);
    BOOL PrepareOut(CWaveOut* pDevice, DWORD nFrames);
    // Unprepare against the device (still open) and free. A buffer the device still holds is
    // taken back first, by a reset of the device; should even that fail, its memory is left to
    // the device's route, which frees it once the driver has let go of the device. So is a
    // buffer whose notice has not come by the deadline (a GetTickCount time): the buffers of
    // one close share one deadline, so that a driver whose notices come late, or not at all,
    // holds up a close for WAVE_NOTICE_TIMEOUT at most.
    void Release(DWORD nNoticeDeadline = NoticeDeadline());
    static DWORD NoticeDeadline();

    void* GetData() const;
    DWORD GetBytesRecorded() const;
    WAVEHDR* GetHeader() const { return m_pHeader; }
    // Whether the driver still holds the header (its flags are written by the driver).
    BOOL IsQueued() const;
    // The device went away before the buffer: Release then frees the memory without an
    // unprepare (only once the driver holds it no more).
    void ForgetDevice();

private:
    BOOL IsNoticeOwed() const;
    // Where a buffer the driver still holds goes: the route of the device it was prepared for.
    CWaveRoute* Route() const;

    WAVEHDR* m_pHeader;  // of a WaveBlock
    // At most one is set: the device the header is prepared for.
    CWaveIn* m_pInDevice;
    CWaveOut* m_pOutDevice;
};
