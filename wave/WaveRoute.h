// The part of an open device that its driver's callback reaches: the callback instance is the
// route, not the device. An owner deletes a device even when its close failed and the driver
// may still call back (late notices, the close notice whenever it comes); the route outlives
// the device, and a callback that comes after the device let go of it finds no device.
//
// Holders: the device, from Open until it detaches (a successful Close, or its destruction),
// and the driver, from the successful platform open until its close notice, its last call.
// The last holder frees the route, with the buffers parked in it: a reference-counted
// callback context.
#pragma once

#include "platform/win32.h"
#include "wave/EntryGate.h"

#include <atomic>
#include <vector>

class CWaveDevice;

class CWaveRoute
{
public:
    // One holder, the device; null when there is no memory.
    static CWaveRoute* Create(CWaveDevice* pDevice);
    void Hold();
    void Release();

    // On the driver's thread: the device, which stays valid until Leave, or null once the
    // device has detached. Every Enter is paired with a Leave.
    CWaveDevice* Enter();
    void Leave();
    // On the device's side: from now on Enter gives null; returns once no callback is between
    // Enter and Leave, so the device may then be deleted.
    void Detach();

    // The memory of a buffer that the driver still holds when its owner lets go of it (its
    // device could not take it back): freed with the route, once the driver has let go of
    // everything, and never unprepared. A deferred free.
    void Park(WAVEHDR* pHeader);

private:
    explicit CWaveRoute(CWaveDevice* pDevice);
    ~CWaveRoute();

    CWaveDevice* const m_pDevice;
    CEntryGate m_gate;  // the callbacks' way to the device
    std::atomic<int> m_nHolders;
    std::vector<WAVEHDR*> m_parked;
};
