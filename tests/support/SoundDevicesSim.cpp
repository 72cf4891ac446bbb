#include "tests/support/SoundDevices.h"

#include "platform/sim/sound.h"

void UseVirtualSoundDevices()
{
    sim::SetWaveInDevices({{"PulseAudio", {}, {}},
                           {"Monitor of MicFeed", {}, {}},
                           {"Monitor of Speaker", {}, {}},
                           {"Mic", {}, {}}});
    sim::SetWaveOutDevices({{"PulseAudio", {}, {}}, {"MicFeed", {}, {}}, {"Speaker", {}, {}}});
}
