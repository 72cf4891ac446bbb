// A dialog of the program's own templates, made on the test's thread with a dialog procedure
// that writes down what the dialog hears, so that a conformance test can play the dialog
// manager's part of a message loop (IsDialogMessage) and compare what happens on both
// platforms.
#pragma once

#include "platform/win32.h"
#include "res/resource.h"

#include <vector>

// A list item with its data; its index.
inline LRESULT Add(HWND hwndList, const char* pszText, LPARAM nData)
{
    const LRESULT nIndex =
        SendMessageA(hwndList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszText));
    SendMessageA(hwndList, CB_SETITEMDATA, static_cast<WPARAM>(nIndex), nData);
    return nIndex;
}

// Where a control is in its dialog's client area.
inline RECT RectInDialog(HWND hwndDialog, HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, hwndDialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

struct Heard
{
    UINT nMessage;
    int nId;
    UINT nCode;
    HWND hwndFrom;
};

class DialogHarness
{
public:
    explicit DialogHarness(int nTemplate, HWND hwndOwner = nullptr)
    {
        INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&init);
        s_pCurrent = this;
        m_hwnd = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nTemplate),
                                    hwndOwner, Proc, reinterpret_cast<LPARAM>(this));
    }
    ~DialogHarness()
    {
        if (IsWindow(m_hwnd))
            DestroyWindow(m_hwnd);
        Pump();
        s_pCurrent = nullptr;
    }
    DialogHarness(const DialogHarness&) = delete;
    DialogHarness& operator=(const DialogHarness&) = delete;

    HWND Handle() const { return m_hwnd; }
    HWND Item(int nId) const { return GetDlgItem(m_hwnd, nId); }

    // A key pressed on the focus, as a dialog's message loop hands it to IsDialogMessage.
    void Key(UINT nKey)
    {
        Deliver(WM_KEYDOWN, nKey, 1);
        Pump();
    }
    // A key pressed while no window has the focus: the system gives it to the active window as
    // a system key, WM_SYSKEYDOWN without the Alt bit (Windows documents it, Wine's server
    // does it).
    void KeyWithoutFocus(UINT nKey)
    {
        Deliver(WM_SYSKEYDOWN, nKey, 1);
        Pump();
    }
    // Alt and a letter.
    void AltKey(char c)
    {
        Deliver(WM_SYSCHAR, static_cast<WPARAM>(c), LPARAM(1) << 29);
        Pump();
    }
    // The control gets the focus as the dialog manager gives it.
    void FocusOn(int nId)
    {
        SendMessageA(m_hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(nId)), TRUE);
    }

    int Count(UINT nMessage, int nId, UINT nCode) const
    {
        int n = 0;
        for (const Heard& h : heard)
            n += h.nMessage == nMessage && h.nId == nId && h.nCode == nCode;
        return n;
    }
    int Commands(int nId, UINT nCode = BN_CLICKED) const { return Count(WM_COMMAND, nId, nCode); }

    // Runs what waits in the thread's queue, the dialog's keys through IsDialogMessage.
    static void Pump()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            Dispatch(msg);
    }
    // Runs the queue for a while: virtual time on the host, real time under Wine.
    static void PumpFor(UINT nMilliseconds)
    {
        const UINT_PTR nTimer = SetTimer(nullptr, 0, nMilliseconds, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) {
            if (msg.message == WM_TIMER && !msg.hwnd && msg.wParam == nTimer)
                break;
            Dispatch(msg);
        }
        KillTimer(nullptr, nTimer);
        Pump();
    }

    std::vector<Heard> heard;         // WM_COMMAND, WM_NOTIFY and WM_HELP, in order
    std::vector<NMUPDOWN> deltas;     // the UDN_DELTAPOS requests
    LRESULT nDeltaAnswer = 0;         // the answer to them
    std::vector<NMTTDISPINFOA> tips;  // the TTN_NEEDTEXTA requests
    const char* pszTip = nullptr;     // the text given to them
    int nTimers = 0;                  // WM_TIMER messages
    bool bVisibleInInit = true;
    HWND hwndFirstInInit = nullptr;  // the control proposed for the focus
    LPARAM nInitParam = 0;

private:
    void Deliver(UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        MSG msg{};
        msg.hwnd = GetFocus() ? GetFocus() : m_hwnd;
        msg.message = nMessage;
        msg.wParam = wParam;
        msg.lParam = lParam;
        Dispatch(msg);
    }

    static void Dispatch(MSG& msg)
    {
        if (s_pCurrent && IsWindow(s_pCurrent->m_hwnd) &&
            IsDialogMessageA(s_pCurrent->m_hwnd, &msg))
            return;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    static INT_PTR CALLBACK Proc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam)
    {
        DialogHarness* p = nullptr;
        if (nMessage == WM_INITDIALOG) {
            p = reinterpret_cast<DialogHarness*>(lParam);
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            p->bVisibleInInit = IsWindowVisible(hwnd) != FALSE;
            p->hwndFirstInInit = reinterpret_cast<HWND>(wParam);
            p->nInitParam = lParam;
            return TRUE;
        }
        p = reinterpret_cast<DialogHarness*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        if (!p)
            return FALSE;
        switch (nMessage) {
            case WM_COMMAND:
                p->heard.push_back(Heard{WM_COMMAND, LOWORD(wParam), HIWORD(wParam),
                                         reinterpret_cast<HWND>(lParam)});
                return TRUE;
            case WM_NOTIFY: {
                const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
                p->heard.push_back(Heard{WM_NOTIFY, static_cast<int>(pHeader->idFrom),
                                         pHeader->code, pHeader->hwndFrom});
                if (pHeader->code == UDN_DELTAPOS) {
                    p->deltas.push_back(*reinterpret_cast<const NMUPDOWN*>(lParam));
                    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, p->nDeltaAnswer);
                    return TRUE;
                }
                if (pHeader->code == TTN_NEEDTEXTA) {
                    auto* pInfo = reinterpret_cast<NMTTDISPINFOA*>(lParam);
                    p->tips.push_back(*pInfo);
                    if (p->pszTip)
                        pInfo->lpszText = const_cast<LPSTR>(p->pszTip);
                    return TRUE;
                }
                return FALSE;
            }
            case WM_TIMER:
                ++p->nTimers;
                return TRUE;
            case WM_HELP: {
                const auto* pInfo = reinterpret_cast<const HELPINFO*>(lParam);
                p->heard.push_back(
                    Heard{WM_HELP, pInfo->iCtrlId, 0, static_cast<HWND>(pInfo->hItemHandle)});
                return TRUE;
            }
            default:
                return FALSE;
        }
    }

    HWND m_hwnd = nullptr;
    static inline DialogHarness* s_pCurrent = nullptr;
};
