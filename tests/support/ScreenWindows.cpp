// Windows' side of the screen: the program's threads run in real time, so the test looks again
// and again at what shows, without acting, until it is there or the limit has passed.
#include "tests/support/Screen.h"

#include "tests/support/Input.h"

#include <gtest/gtest.h>

namespace {

// Generous: a loaded machine, and a 32-bit Wine emulated by QEMU, take seconds for a window.
constexpr DWORD LIMIT_MS = 60000;
constexpr DWORD LOOK_EVERY_MS = 10;

}  // namespace

void screen::Settle() {}

HWND screen::WaitForWindow(const char* pszCaption)
{
    const DWORD nStart = GetTickCount();
    for (;;) {
        const HWND hwnd = FindWindowA(nullptr, pszCaption);
        if (hwnd && IsWindowVisible(hwnd)) {
            input::Settle(hwnd);
            return hwnd;
        }
        if (GetTickCount() - nStart > LIMIT_MS) {
            ADD_FAILURE() << "no window \"" << pszCaption << "\" after " << LIMIT_MS << " ms";
            return nullptr;
        }
        Sleep(LOOK_EVERY_MS);
    }
}

bool screen::WaitUntil(const std::function<bool()>& condition)
{
    const DWORD nStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - nStart > LIMIT_MS) {
            ADD_FAILURE() << "still not so after " << LIMIT_MS << " ms";
            return false;
        }
        Sleep(LOOK_EVERY_MS);
    }
    return true;
}

HICON screen::CaptionIcon(HWND hwnd, bool bBig)
{
    return reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, bBig ? ICON_BIG : ICON_SMALL, 0));
}
