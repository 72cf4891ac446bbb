// The program's entry: the framework's. Linked into the program itself (sorvanta_winmain), not
// into tests, which call AfxWinMain on a thread of their own.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR pszCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, pszCmdLine, nCmdShow);
}
