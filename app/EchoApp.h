// The application: runs the control panel as a modal dialog and ends when it closes.
#pragma once

#include "framework/WinApp.h"

class CEchoApp : public CWinApp
{
public:
    CEchoApp();
    ~CEchoApp() override;

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
