// The control panel's playback device: a CWaveOut that knows its panel. Its hooks are
// CWaveOut's, which do nothing: a played buffer needs no handling, since the echo capture
// device reuses its playback buffers in fixed rotation.
#pragma once

#include "wave/WaveOut.h"

class CEchoPanel;

class CEchoWaveOut final : public CWaveOut
{
public:
    explicit CEchoWaveOut(CEchoPanel* pPanel);

private:
    CEchoPanel* m_pPanel;  // not owned
};
