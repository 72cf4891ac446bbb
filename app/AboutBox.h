// The version dialog: the program's name and version and two links, each opened with the
// program the system has for its scheme (the web browser, the mail program).
#pragma once

#include "framework/Dialog.h"
#include "framework/Static.h"

class CAboutBox : public CDialog
{
public:
    explicit CAboutBox(CWnd* pParent = nullptr);
    ~CAboutBox() override;

    CStatic m_stcUrl;
    CStatic m_stcMail;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnMailClicked();
    void OnUrlClicked();

    DECLARE_MESSAGE_MAP()

private:
    // A link's text is what it shows and what it opens, read at the moment of the click.
    static void Open(const CStatic& link);
};
