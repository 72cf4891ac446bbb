// The sound devices conformance tests use, found by name: under Wine the virtual PulseAudio
// devices of scripts/with-virtual-devices.sh, on the host simulated devices of the same names.
#pragma once

#include "platform/win32.h"

// On the host, lists the simulated devices as the virtual ones are listed under Wine (inputs
// "PulseAudio", "Monitor of MicFeed", "Monitor of Speaker", "Mic"; outputs "PulseAudio",
// "MicFeed", "Speaker"); under Wine it does nothing.
void UseVirtualSoundDevices();

// The index of the first device whose product name begins with pszName, or WAVE_MAPPER.
UINT FindWaveIn(const char* pszName);
UINT FindWaveOut(const char* pszName);

// Whether the device of that name (nDevice, as found above) is missing, so that the test is to
// skip itself (GTEST_SKIP in the test or its SetUp). On the simulation, which has the devices,
// it fails the test too.
bool SoundDeviceMissing(UINT nDevice, const char* pszName);
