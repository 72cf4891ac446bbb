// A picture of a program's input against its output: two waveform panels on one time axis.
#pragma once

#include <string>
#include <vector>

// The outline of a waveform at a fixed number of columns: the lowest and highest sample in
// each, so that a click of one sample still shows in a minute of sound.
struct Outline {
    std::vector<double> lows;
    std::vector<double> highs;
};
Outline OutlineOf(const std::vector<double>& x, size_t nColumns);

// Writes the PNG with gnuplot (the outlines go to pngPath + ".dat" beside it, then are
// removed). Returns false with the reason when gnuplot fails.
// dStartS is the time of the first sample on the axis.
bool DrawPicture(const std::vector<double>& input, const std::vector<double>& output, int nRate, double dStartS,
                 const std::string& title, const std::string& pngPath, std::string& error);
