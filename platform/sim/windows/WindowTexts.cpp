// A window's text, through WM_SETTEXT, WM_GETTEXT and WM_GETTEXTLENGTH.
#include "platform/sim/windows/WindowSystem.h"

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR pszText)
{
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszText)) != 0;
}

INT WINAPI GetWindowTextA(HWND hwnd, LPSTR pszBuffer, INT nMax)
{
    if (!pszBuffer || nMax <= 0)
        return 0;
    pszBuffer[0] = '\0';
    return static_cast<INT>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(nMax),
                                         reinterpret_cast<LPARAM>(pszBuffer)));
}

INT WINAPI GetWindowTextLengthA(HWND hwnd)
{
    return static_cast<INT>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
}
