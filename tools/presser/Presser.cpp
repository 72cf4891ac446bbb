// presser: test equipment for the end-to-end tests, not part of the product. It presses
// buttons of another program as an automation tool or a remote control does: with sent
// BM_CLICK messages, from several threads at once, so that a press can arrive while the
// program is inside another one (a person's click is posted and cannot).
//
//   presser CAPTION SECONDS ID...
//
// It finds the visible top-level window with that caption (in its title bar), starts one
// thread per control id, and each thread sends BM_CLICK to its control in a loop for SECONDS.
// A button's BM_CLICK sends its parent BN_CLICKED before it returns, so an answered send is a
// handled press (a disabled button ignores it). Each send waits up to 10 s for its answer: a
// send that is not answered by then is a hang, and is reported with the window that vanished.
// At the end it prints one line per id:
//   id=N answered=COUNT longest=MS      the sends answered and the longest wait for one
// Exit status: 0 when every send was answered, 1 when one was not (or the window is not
// there), 2 on bad use.
#include "platform/win32.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const UINT ANSWER_TIMEOUT_MS = 10000;

void Write(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD nWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &nWritten, nullptr);
}

struct Search {
    std::wstring caption;
    HWND hFound = nullptr;
};

BOOL CALLBACK OnTopLevel(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<Search*>(lParam);
    if (!IsWindowVisible(hWnd) || (GetWindowLongW(hWnd, GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
        return TRUE;
    wchar_t sz[256] = {};
    DWORD_PTR nResult = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(sz), SMTO_ABORTIFHUNG, 5000, &nResult);
    if (pSearch->caption != sz)
        return TRUE;
    pSearch->hFound = hWnd;
    return FALSE;
}

// One pressing thread's control and results; written by that thread only, read after it ended.
struct Presser {
    int nId = 0;
    HWND hCtrl = nullptr;
    DWORD nSeconds = 0;
    long nAnswered = 0;
    DWORD nLongestMs = 0;
    bool bFailed = false;
};

DWORD WINAPI Press(LPVOID pParam)
{
    auto* p = static_cast<Presser*>(pParam);
    const DWORD nStart = GetTickCount();
    while (GetTickCount() - nStart < p->nSeconds * 1000) {
        const DWORD nSent = GetTickCount();
        DWORD_PTR nResult = 0;
        if (!SendMessageTimeoutA(p->hCtrl, BM_CLICK, 0, 0, SMTO_NORMAL, ANSWER_TIMEOUT_MS, &nResult)) {
            const DWORD nError = GetLastError();
            const DWORD nAfter = (GetTickCount() - nStart) / 1000;
            if (!IsWindow(p->hCtrl))
                Write("presser: id=" + std::to_string(p->nId) + " vanished after " + std::to_string(nAfter) + " s");
            else
                Write("presser: id=" + std::to_string(p->nId) + " not answered within " + std::to_string(ANSWER_TIMEOUT_MS / 1000) +
                      " s (error " + std::to_string(nError) + "), after " + std::to_string(nAfter) + " s");
            p->bFailed = true;
            return 0;
        }
        ++p->nAnswered;
        const DWORD nWaited = GetTickCount() - nSent;
        if (nWaited > p->nLongestMs)
            p->nLongestMs = nWaited;
    }
    return 0;
}

}  // namespace

int main()
{
    // The wide command line: captions are Japanese whatever the ANSI code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 4 || argc - 3 > MAXIMUM_WAIT_OBJECTS) {
        Write("presser: CAPTION SECONDS ID...");
        LocalFree(argv);
        return 2;
    }
    Search search;
    search.caption = argv[1];
    EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&search));
    if (!search.hFound) {
        Write("presser: no window with that caption");
        LocalFree(argv);
        return 1;
    }
    std::vector<Presser> pressers(static_cast<size_t>(argc - 3));
    for (size_t i = 0; i < pressers.size(); ++i) {
        pressers[i].nId = _wtoi(argv[i + 3]);
        pressers[i].hCtrl = GetDlgItem(search.hFound, pressers[i].nId);
        pressers[i].nSeconds = static_cast<DWORD>(_wtoi(argv[2]));
    }
    LocalFree(argv);
    for (const Presser& p : pressers) {
        if (!p.hCtrl) {
            Write("presser: the window has no control " + std::to_string(p.nId));
            return 1;
        }
    }
    // Every thread starts suspended and all are resumed together, so that they press at once.
    std::vector<HANDLE> threads;
    for (Presser& p : pressers) {
        const HANDLE hThread = CreateThread(nullptr, 0, Press, &p, CREATE_SUSPENDED, nullptr);
        if (!hThread) {
            Write("presser: cannot start a thread");
            return 1;
        }
        threads.push_back(hThread);
    }
    for (HANDLE hThread : threads)
        ResumeThread(hThread);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    int nStatus = 0;
    for (size_t i = 0; i < threads.size(); ++i) {
        CloseHandle(threads[i]);
        Write("id=" + std::to_string(pressers[i].nId) + " answered=" + std::to_string(pressers[i].nAnswered) +
              " longest=" + std::to_string(pressers[i].nLongestMs));
        if (pressers[i].bFailed)
            nStatus = 1;
    }
    return nStatus;
}
