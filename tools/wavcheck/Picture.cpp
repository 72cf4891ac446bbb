#include "tools/wavcheck/Picture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

Outline OutlineOf(const std::vector<double>& x, size_t nColumns)
{
    Outline o;
    if (x.empty() || nColumns == 0)
        return o;
    nColumns = std::min(nColumns, x.size());
    o.lows.resize(nColumns);
    o.highs.resize(nColumns);
    for (size_t c = 0; c < nColumns; ++c) {
        const size_t nBegin = c * x.size() / nColumns;
        const size_t nEnd = (c + 1) * x.size() / nColumns;
        const auto [pLow, pHigh] = std::minmax_element(x.begin() + static_cast<long>(nBegin), x.begin() + static_cast<long>(nEnd));
        o.lows[c] = *pLow;
        o.highs[c] = *pHigh;
    }
    return o;
}

namespace {

// Single quotes end a gnuplot string; the title is the caller's, so they go.
std::string Quoted(std::string s)
{
    s.erase(std::remove(s.begin(), s.end(), '\''), s.end());
    return "'" + s + "'";
}

}  // namespace

bool DrawPicture(const std::vector<double>& input, const std::vector<double>& output, int nRate, double dStartS,
                 const std::string& title, const std::string& pngPath, std::string& error)
{
    constexpr size_t nColumns = 2000;
    const size_t nFrames = std::max(input.size(), output.size());
    const size_t nCols = std::min(nColumns, std::max<size_t>(nFrames, 1));
    // Both outlines on the same columns, so the panels share their time axis.
    std::vector<double> in = input;
    std::vector<double> out = output;
    in.resize(nFrames, 0.0);
    out.resize(nFrames, 0.0);
    const Outline a = OutlineOf(in, nCols);
    const Outline b = OutlineOf(out, nCols);

    const std::string dataPath = pngPath + ".dat";
    const std::string scriptPath = pngPath + ".gp";
    {
        std::ofstream data(dataPath);
        for (size_t c = 0; c < a.lows.size(); ++c) {
            const double dTime = dStartS + (static_cast<double>(c) + 0.5) * static_cast<double>(nFrames) / static_cast<double>(a.lows.size()) / nRate;
            data << dTime << ' ' << a.lows[c] / 32768 << ' ' << a.highs[c] / 32768 << ' ' << b.lows[c] / 32768 << ' '
                 << b.highs[c] / 32768 << '\n';
        }
    }
    {
        std::ofstream script(scriptPath);
        script << "set terminal pngcairo size 1600,800 font 'Sans,11'\n"
               << "set output " << Quoted(pngPath) << "\n"
               << "set multiplot layout 2,1 title " << Quoted(title) << "\n"
               << "set yrange [-1:1]\nset grid\nset xrange [" << dStartS << ":" << dStartS + static_cast<double>(nFrames) / nRate << "]\n"
               << "set ylabel 'input (microphone)'\nset format x ''\n"
               << "plot " << Quoted(dataPath) << " using 1:2:3 with filledcurves lc rgb '#1f5fbf' notitle\n"
               << "set ylabel 'output (speaker)'\nset format x '%g'\nset xlabel 'time (s)'\n"
               << "plot " << Quoted(dataPath) << " using 1:4:5 with filledcurves lc rgb '#bf3f1f' notitle\n"
               << "unset multiplot\n";
    }
    const std::string command = "gnuplot " + Quoted(scriptPath) + " 2>&1";
    const int nStatus = std::system(command.c_str());
    std::remove(dataPath.c_str());
    std::remove(scriptPath.c_str());
    if (nStatus != 0) {
        error = "gnuplot failed (is gnuplot-nox installed?)";
        return false;
    }
    return true;
}
