# Turns a compiled .res file into a C++ source that hands its bytes to the simulation when the
# program starts, as the loader maps the resources of a Windows program.
#   cmake -DINPUT=file.res -DOUTPUT=file.cpp -P EmbedResources.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" length)
math(EXPR size "${length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# 16 bytes a line
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.
#include \"platform/sim/windows.h\"

namespace {

const unsigned char g_resources[${size}] = {
    ${bytes}
};

const bool g_bRegistered = sim::SetModuleResources(g_resources, sizeof g_resources);

}  // namespace
")
