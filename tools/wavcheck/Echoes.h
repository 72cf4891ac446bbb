// A signal followed by its feedback echoes: y[n] = x[n] + g/256 * y[n - D], so copies of the
// first one follow at D, 2D, ... each weaker than the one before by g/256.
#pragma once

#include "tools/wavcheck/Correlation.h"

#include <vector>

struct EchoCheck {
    int nRate = 0;
    double dDelayMs = 0;      // D
    int nStrength = 0;        // g, 0..255
    int nRepeats = 0;         // repeats to check; 0: those expected at 5 % or more of the first copy
    double dDelayTolMs = 1.0; // how far each repeat may sit from k * D after the first copy
    double dRatioTol = 0.03;  // how far each repeat's ratio to the one before may be from g/256
    long nDelayFrames = 0;    // above 0: D in frames, and each repeat must sit exactly k * D
                              // frames after the first copy (searched for within the tolerance)
};

struct EchoRepeat {
    int k = 0;
    double dDelayMs = 0;  // measured distance from the first copy
    long nDelayFrames = 0;  // the same in frames
    double dGain = 0;     // gain against the reference
    double dRatio = 0;    // gain over the gain of the copy before
    bool bPass = false;
};

struct EchoReport {
    Copy first;
    std::vector<EchoRepeat> repeats;
    bool bPass = false;
};

// The repeats that a strength leaves at 5 % or more of the first copy (at most 8).
int ExpectedRepeats(int nStrength);

// Finds the first copy of the reference at a lag in [nFrom, nTo] of the recording, then each
// repeat near k * D after it.
EchoReport MeasureEchoes(const CCopyFinder& finder, long nFrom, long nTo, const EchoCheck& check);
