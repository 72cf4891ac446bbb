#include "tests/support/SoundDevices.h"

#include "tests/support/Difference.h"

#include <cstring>
#include <string>

namespace {

bool Begins(const char* pszName, const char* pszPrefix)
{
    return std::strncmp(pszName, pszPrefix, std::strlen(pszPrefix)) == 0;
}

}  // namespace

UINT FindWaveIn(const char* pszName)
{
    for (UINT i = 0; i < waveInGetNumDevs(); ++i) {
        WAVEINCAPSA caps{};
        if (waveInGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            Begins(caps.szPname, pszName))
            return i;
    }
    return UINT(WAVE_MAPPER);
}

UINT FindWaveOut(const char* pszName)
{
    for (UINT i = 0; i < waveOutGetNumDevs(); ++i) {
        WAVEOUTCAPSA caps{};
        if (waveOutGetDevCapsA(i, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            Begins(caps.szPname, pszName))
            return i;
    }
    return UINT(WAVE_MAPPER);
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
