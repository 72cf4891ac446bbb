#include "framework/WinApp.h"

#include "framework/Wnd.h"

namespace {

// The one application object: set while static objects are made, before any thread runs.
CWinApp* g_pApp = nullptr;

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
    CommandEntry(0, ID_HELP, &CWinApp::OnHelp),
END_MESSAGE_MAP();
// clang-format on

CWinApp::CWinApp(LPCSTR pszAppName)
{
    if (pszAppName) {
        m_appName = pszAppName;
    } else {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        m_appName = path;
        m_appName = m_appName.substr(m_appName.find_last_of("\\/:") + 1);
        m_appName = m_appName.substr(0, m_appName.rfind('.'));
    }
    m_pszAppName = m_appName.c_str();
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int CWinApp::Run()
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nId) const
{
    return ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(nId));
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

CWnd* AfxGetMainWnd()
{
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle()
{
    return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = pszCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    if (pApp->InitInstance())
        return pApp->Run();
    if (pApp->m_pMainWnd)
        pApp->m_pMainWnd->DestroyWindow();
    return pApp->ExitInstance();
}
