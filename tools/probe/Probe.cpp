// probe: test equipment for the end-to-end tests, not part of the product. It reads the
// windows of other programs on the same Wine desktop and reports them as text lines; it never
// sends anything that changes a window (the tests drive the program as a person, with xdotool).
//
//   probe list                    every visible top-level window, one "window" line each
//   probe show CAPTION            the visible top-level window with that caption (in its title
//                                 bar) and its children
//   probe wait CAPTION [SECONDS]  returns 0 once such a window is visible, 1 after SECONDS (20)
//   probe gone CAPTION [SECONDS]  returns 0 once no such window is visible, 1 after SECONDS
//
// Lines of "show" (texts are UTF-8, always last on their line):
//   screen W H
//   window HWND pid=P class=C enabled=E rect=L,T,R,B caption=TEXT
//   frame cx=X cy=Y caption=H button=W      the metrics of its frame and caption buttons
//   active A foreground F                   1 when it is its thread's active window, the desktop's
//                                           foreground window
//   focus id=N | focus none                 the control with the keyboard focus
//   child id=N class=C enabled=E visible=V rect=L,T,R,B text=TEXT
//   item id=N index=I data=D text=TEXT      each item of a combo box
//   selected id=N index=I                   its selection (-1: none)
//   updown id=N pos=P lo=A hi=B
//   progress id=N pos=P lo=A hi=B
//   check id=N state=S                      check boxes
// Rectangles are in screen coordinates, which on a Wine desktop are the desktop window's.
// Exit status: 0, 1 when the window is not there (or the wait ran out), 2 on bad use.
#include "platform/win32.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

// Writes straight to the standard output handle: no text-mode translation, no CRT buffering
// that a killed probe would lose.
void Write(const std::string& line)
{
    const std::string text = line + "\n";
    DWORD nWritten = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &nWritten, nullptr);
}

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    // A line holds one text: line breaks inside it are shown as \n.
    std::string escaped;
    for (char c : out) {
        if (c == '\n')
            escaped += "\\n";
        else if (c != '\r')
            escaped += c;
    }
    return escaped;
}

std::string N(long long n)
{
    return std::to_string(n);
}

std::string Hex(const void* p)
{
    char sz[32];
    wsprintfA(sz, "0x%IX", reinterpret_cast<UINT_PTR>(p));
    return sz;
}

// Messages that only ask; the system carries their results (and the texts of WM_GETTEXT and
// CB_GETLBTEXT) back across the processes. Pointers to anything else would not be carried.
LRESULT Ask(HWND hWnd, UINT nMsg, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR nResult = 0;
    if (!SendMessageTimeoutW(hWnd, nMsg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &nResult))
        return -1;
    return static_cast<LRESULT>(nResult);
}

// GetWindowText does not ask a control of another process for its text; WM_GETTEXT does.
std::wstring WindowText(HWND hWnd)
{
    wchar_t sz[1024] = {};
    Ask(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(sz));
    return sz;
}

std::wstring ClassName(HWND hWnd)
{
    wchar_t sz[256] = {};
    GetClassNameW(hWnd, sz, 256);
    return sz;
}

std::string Rect(HWND hWnd)
{
    RECT r{};
    GetWindowRect(hWnd, &r);
    return N(r.left) + "," + N(r.top) + "," + N(r.right) + "," + N(r.bottom);
}

void ShowComboBox(HWND hCtrl, int nId)
{
    const LRESULT nCount = Ask(hCtrl, CB_GETCOUNT);
    for (LRESULT i = 0; i < nCount; ++i) {
        const LRESULT nLength = Ask(hCtrl, CB_GETLBTEXTLEN, static_cast<WPARAM>(i));
        std::wstring text(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
        Ask(hCtrl, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(wcslen(text.c_str()));
        Write("item id=" + N(nId) + " index=" + N(i) + " data=" + N(static_cast<int>(Ask(hCtrl, CB_GETITEMDATA, static_cast<WPARAM>(i)))) +
              " text=" + Utf8(text));
    }
    Write("selected id=" + N(nId) + " index=" + N(static_cast<int>(Ask(hCtrl, CB_GETCURSEL))));
}

void ShowChild(HWND hCtrl)
{
    const int nId = GetDlgCtrlID(hCtrl);
    const std::wstring cls = ClassName(hCtrl);
    const LONG nStyle = GetWindowLongW(hCtrl, GWL_STYLE);
    // An icon's "text" is the name of its resource, nothing a person reads.
    const bool bIcon = lstrcmpiW(cls.c_str(), L"Static") == 0 && (nStyle & SS_TYPEMASK) == SS_ICON;
    Write("child id=" + N(nId) + " class=" + Utf8(cls) + " enabled=" + N(IsWindowEnabled(hCtrl) ? 1 : 0) +
          " visible=" + N(IsWindowVisible(hCtrl) ? 1 : 0) + " rect=" + Rect(hCtrl) + " text=" + (bIcon ? "" : Utf8(WindowText(hCtrl))));
    if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
        ShowComboBox(hCtrl, nId);
    } else if (lstrcmpiW(cls.c_str(), UPDOWN_CLASSW) == 0) {
        // UDM_GETRANGE answers in its result (the 32-bit variant would need our pointers there).
        const LRESULT nRange = Ask(hCtrl, UDM_GETRANGE);
        Write("updown id=" + N(nId) + " pos=" + N(static_cast<int>(Ask(hCtrl, UDM_GETPOS32))) + " lo=" + N(static_cast<short>(HIWORD(nRange))) +
              " hi=" + N(static_cast<short>(LOWORD(nRange))));
    } else if (lstrcmpiW(cls.c_str(), PROGRESS_CLASSW) == 0) {
        Write("progress id=" + N(nId) + " pos=" + N(static_cast<int>(Ask(hCtrl, PBM_GETPOS))) +
              " lo=" + N(static_cast<int>(Ask(hCtrl, PBM_GETRANGE, TRUE))) + " hi=" + N(static_cast<int>(Ask(hCtrl, PBM_GETRANGE, FALSE))));
    } else if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
        const LONG nType = nStyle & BS_TYPEMASK;
        if (nType == BS_AUTOCHECKBOX || nType == BS_CHECKBOX || nType == BS_3STATE || nType == BS_AUTO3STATE)
            Write("check id=" + N(nId) + " state=" + N(static_cast<int>(Ask(hCtrl, BM_GETCHECK))));
    }
}

void ShowWindowLine(HWND hWnd)
{
    DWORD nPid = 0;
    GetWindowThreadProcessId(hWnd, &nPid);
    Write("window " + Hex(hWnd) + " pid=" + N(nPid) + " class=" + Utf8(ClassName(hWnd)) + " enabled=" + N(IsWindowEnabled(hWnd) ? 1 : 0) +
          " rect=" + Rect(hWnd) + " caption=" + Utf8(WindowText(hWnd)));
}

void Show(HWND hWnd)
{
    Write("screen " + N(GetSystemMetrics(SM_CXSCREEN)) + " " + N(GetSystemMetrics(SM_CYSCREEN)));
    ShowWindowLine(hWnd);
    // Where a person finds the caption's buttons: the close box is the rightmost, one button
    // wide, inside the frame.
    const bool bSizing = (GetWindowLongW(hWnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    Write("frame cx=" + N(GetSystemMetrics(bSizing ? SM_CXFRAME : SM_CXDLGFRAME)) + " cy=" + N(GetSystemMetrics(bSizing ? SM_CYFRAME : SM_CYDLGFRAME)) +
          " caption=" + N(GetSystemMetrics(SM_CYCAPTION)) + " button=" + N(GetSystemMetrics(SM_CXSIZE)));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &info);
    Write("active " + N(info.hwndActive == hWnd ? 1 : 0) + " foreground " + N(GetForegroundWindow() == hWnd ? 1 : 0));
    if (info.hwndFocus)
        Write("focus id=" + N(GetDlgCtrlID(info.hwndFocus)) + " class=" + Utf8(ClassName(info.hwndFocus)));
    else
        Write("focus none");
    for (HWND hCtrl = GetWindow(hWnd, GW_CHILD); hCtrl; hCtrl = GetWindow(hCtrl, GW_HWNDNEXT))
        ShowChild(hCtrl);
}

struct Search {
    std::wstring caption;
    HWND hFound = nullptr;
    bool bList = false;
};

BOOL CALLBACK OnTopLevel(HWND hWnd, LPARAM lParam)
{
    auto* pSearch = reinterpret_cast<Search*>(lParam);
    if (!IsWindowVisible(hWnd))
        return TRUE;
    if (pSearch->bList) {
        ShowWindowLine(hWnd);
        return TRUE;
    }
    // Only a window with a title bar has a caption: a tooltip's text may read the same.
    if ((GetWindowLongW(hWnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION && WindowText(hWnd) == pSearch->caption) {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

HWND Find(const std::wstring& caption)
{
    Search search;
    search.caption = caption;
    EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// Polls every 50 ms until the window is there (or gone), for at most nSeconds.
int WaitFor(const std::wstring& caption, bool bPresent, int nSeconds)
{
    const DWORD nStart = GetTickCount();
    for (;;) {
        if ((Find(caption) != nullptr) == bPresent)
            return 0;
        if (GetTickCount() - nStart >= static_cast<DWORD>(nSeconds) * 1000)
            return 1;
        Sleep(50);
    }
}

}  // namespace

int main()
{
    // The wide command line: captions are Japanese whatever the ANSI code page.
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const std::wstring caption = argc > 2 ? argv[2] : L"";
    const int nSeconds = argc > 3 ? _wtoi(argv[3]) : 20;
    int nStatus = 2;
    if (command == L"list" && argc == 2) {
        Search search;
        search.bList = true;
        EnumWindows(OnTopLevel, reinterpret_cast<LPARAM>(&search));
        nStatus = 0;
    } else if (command == L"show" && argc == 3) {
        const HWND hWnd = Find(caption);
        if (hWnd)
            Show(hWnd);
        nStatus = hWnd ? 0 : 1;
    } else if ((command == L"wait" || command == L"gone") && (argc == 3 || argc == 4)) {
        nStatus = WaitFor(caption, command == L"wait", nSeconds);
    } else {
        Write("probe: list | show CAPTION | wait CAPTION [SECONDS] | gone CAPTION [SECONDS]");
    }
    LocalFree(argv);
    return nStatus;
}
