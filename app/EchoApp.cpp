#include "app/EchoApp.h"

#include "panel/EchoPanel.h"

// The one application object, there before the framework starts it.
CEchoApp theApp;

// The program has no help: F1 (ID_HELP) reaches the framework's handler, which shows nothing.
// clang-format off
BEGIN_MESSAGE_MAP(CEchoApp, CWinApp)
    CommandEntry(0, ID_HELP, &CEchoApp::OnHelp),
END_MESSAGE_MAP();
// clang-format on

CEchoApp::CEchoApp() {}

CEchoApp::~CEchoApp() {}

// The panel's window is gone when DoModal returns (the framework cleared m_pMainWnd with it),
// so nothing refers to the panel when it goes. FALSE: the program ends without a message loop.
BOOL CEchoApp::InitInstance()
{
    CEchoPanel panel;
    m_pMainWnd = &panel;
    panel.DoModal();
    return FALSE;
}
