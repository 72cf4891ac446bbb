// The one door to the Win32 API for the whole program.
//
// On Windows these are the system's own headers. On the host the build puts Wine's Win32
// headers on the include path (-isystem /usr/include/wine/wine/windows), so the same names
// carry the same types, sizes and values, and platform/sim supplies the function bodies.
// Nothing outside platform/ includes a system header of Windows directly.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef STRICT
#define STRICT
#endif

#include <windows.h>
#include <mmsystem.h>
#include <commctrl.h>
#include <shellapi.h>
