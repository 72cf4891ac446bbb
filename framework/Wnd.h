// A window of the program, on its Win32 window handle. A dialog's CWnd is attached for the
// life of its window and receives its messages through its message map; a control's CWnd is a
// thin handle with the control's calls, bound to a dialog's control by DDX_Control.
//
// Threads: a window and its CWnd belong to the thread that made the window; every call below
// is made on that thread.
#pragma once

#include "framework/CmdTarget.h"

#include <vector>

class CWnd : public CCmdTarget
{
public:
    CWnd() = default;
    // A window that outlives its object would send its messages into freed memory: an object
    // still attached to its window destroys the window first.
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // The object of a window that the framework made (a dialog), or nullptr.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Control binding: the object stands for the window, which keeps its own procedure.
    void Attach(HWND hwnd) { m_hWnd = hwnd; }
    HWND Detach();

    virtual void DoDataExchange(class CDataExchange* pDX);
    // A message of this thread's queue before it is dispatched; TRUE when it was handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    LRESULT SendMessage(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT nMessage, WPARAM wParam = 0, LPARAM lParam = 0) const;
    DWORD GetStyle() const;

    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL ShowWindow(int nCommand);
    BOOL IsIconic() const;
    BOOL DestroyWindow();
    int GetWindowText(LPSTR pszBuffer, int nMax) const;
    void GetClientRect(LPRECT pRect) const;
    void GetWindowRect(LPRECT pRect) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    UINT_PTR SetTimer(UINT_PTR nId, UINT nElapse);
    BOOL KillTimer(UINT_PTR nId);
    int MessageBox(LPCSTR pszText, LPCSTR pszCaption = nullptr, UINT nType = MB_OK);

    // Centres a top-level window over its owner, or on the screen when it has none (or the
    // owner is hidden or minimised), within the work area.
    void CenterWindow();

    // Tooltips for the child controls: each control is a tool known by its window
    // (TTF_IDISHWND) whose text the tooltip asks this window for with TTN_NEEDTEXTA
    // (LPSTR_TEXTCALLBACK). They show over disabled controls too.
    BOOL EnableToolTips(BOOL bEnable = TRUE);

protected:
    // Handlers the framework gives every window: the window's default processing.
    void OnPaint() { Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnDestroy() { Default(); }

    // The default processing of the message being handled.
    LRESULT Default();
    LRESULT DefWindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);
    virtual LRESULT WindowProc(UINT nMessage, WPARAM wParam, LPARAM lParam);
    // After the window's last message (WM_NCDESTROY), when the object has let go of it.
    virtual void PostNcDestroy() {}

    // Makes this object the window's: its messages come to WindowProc from now on.
    void SubclassWindow(HWND hwnd);
    void RelayToolTipMessage(const MSG& msg) const;

private:
    friend class CDataExchange;
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT nMessage, WPARAM wParam,
                                             LPARAM lParam);
    static LRESULT CALLBACK ToolTipProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    bool RouteCommand(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    void OnFinalMessage();

    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, for the default processing
    MSG m_msgCurrent{};            // the message being handled, for Default()
    HWND m_hWndToolTip = nullptr;
    std::vector<CWnd*> m_bound;  // controls bound by DDX_Control, let go with the window
};
