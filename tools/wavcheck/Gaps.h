// Dropouts in a recording of a steady sine tone.
#pragma once

#include <vector>

struct Gap {
    double dStartS = 0;   // where the break begins, seconds into the recording
    double dLengthMs = 0; // from the first to the last disturbed sample
    double dSilentMs = 0; // of which the tone was missing
};

struct GapReport {
    bool bTone = false;       // a tone was found at all
    double dStartS = 0;       // the tone's first and last sample in the recording
    double dEndS = 0;
    double dFrequency = 0;    // Hz, from the recording itself
    double dAmplitude = 0;    // the tone's typical peak
    std::vector<Gap> gaps;
};

// Looks at every sample of the tone from its first to its last. A pure sine obeys
// x[n] = c * x[n-1] - x[n-2] (c = 2 cos w), and its amplitude follows from two neighbours:
// A^2 sin^2 w = x[n]^2 + x[n-1]^2 - c * x[n] * x[n-1]. A sample is disturbed where that
// prediction misses by more than 2 % of the amplitude (a jump of phase or level: samples
// lost, repeated or cut) or where the amplitude falls below a quarter (silence). Disturbed
// samples less than nMergeMs apart form one gap; a gap counts when it holds nMinSilentMs of
// silence or is a break of the tone's continuity, however short (a dropped block leaves no
// silence, only a jump).
GapReport FindGaps(const std::vector<double>& x, int nRate, double dMergeMs = 5.0, double dMinSilentMs = 2.0);
