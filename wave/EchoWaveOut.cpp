#include "wave/EchoWaveOut.h"

CEchoWaveOut::CEchoWaveOut(CEchoPanel* pPanel) : m_pPanel(pPanel) {}
