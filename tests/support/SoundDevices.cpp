#include "tests/support/SoundDevices.h"

#include <cstring>

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
