// The application object. The program has exactly one, a static object that exists before the
// framework starts it: AfxWinMain (called by WinMain) finds it and runs its InitInstance, then
// either ends (InitInstance returned FALSE) or runs a message loop until the main window goes.
#pragma once

#include "framework/CmdTarget.h"

#include <string>

class CWnd;

// The framework's help command, which the application's map routes to OnHelp.
constexpr UINT ID_HELP = 0xE146;

class CWinApp : public CCmdTarget
{
public:
    // No name: the program file's name without its extension.
    explicit CWinApp(LPCSTR pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    HICON LoadIcon(UINT nId) const;

    CWnd* m_pMainWnd = nullptr;  // cleared by the framework when its window is destroyed
    HINSTANCE m_hInstance = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    LPCSTR m_pszAppName = nullptr;

    DECLARE_MESSAGE_MAP()

protected:
    // The program has no help: the command does nothing.
    void OnHelp() {}

private:
    std::string m_appName;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The program's module, where its resources are.
HINSTANCE AfxGetInstanceHandle();
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR pszCmdLine, int nCmdShow);
