#include "tests/support/SoundDevices.h"

void UseVirtualSoundDevices() {}
