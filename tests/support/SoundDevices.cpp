#include "tests/support/SoundDevices.h"

#include "tests/support/Difference.h"

#include <cstring>
#include <string>

namespace {

template <class Caps>
UINT FindDevice(UINT nDevices, MMRESULT(WINAPI* pfnGetCaps)(UINT_PTR, Caps*, UINT),
                const char* pszName)
{
    for (UINT i = 0; i < nDevices; ++i) {
        Caps caps{};
        if (pfnGetCaps(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            std::strncmp(caps.szPname, pszName, std::strlen(pszName)) == 0)
            return i;
    }
    return UINT(WAVE_MAPPER);
}

}  // namespace

UINT FindWaveIn(const char* pszName)
{
    return FindDevice(waveInGetNumDevs(), waveInGetDevCapsA, pszName);
}

UINT FindWaveOut(const char* pszName)
{
    return FindDevice(waveOutGetNumDevs(), waveOutGetDevCapsA, pszName);
}

bool SoundDeviceMissing(UINT nDevice, const char* pszName)
{
    const std::string name = std::string("a sound device named ") + pszName;
    return Difference(DifferenceKind::MissingEquipment, name.c_str(),
                      "the tests' devices are, under Wine, the virtual PulseAudio ones of "
                      "scripts/with-virtual-devices.sh, and under Windows the machine's own, "
                      "which may have other names; the simulation lists them always",
                      nDevice != UINT(WAVE_MAPPER));
}
