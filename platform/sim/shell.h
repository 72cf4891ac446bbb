// What the program asked the shell to open (ShellExecuteA is recorded, not carried out).
#pragma once

#include "platform/win32.h"

#include <string>
#include <vector>

namespace sim {

struct ShellCall {
    HWND hwnd;
    std::string verb;
    std::string file;
    std::string parameters;
    std::string directory;
    int nShow;
};

// Every ShellExecuteA since the world was last reset, in order.
std::vector<ShellCall> ShellCalls();

}  // namespace sim
