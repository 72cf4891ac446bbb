#include "app/AboutBox.h"

#include "framework/DataExchange.h"
#include "panel/EchoPanel.h"
#include "res/resource.h"

// clang-format off
BEGIN_MESSAGE_MAP(CAboutBox, CDialog)
    CommandEntry(STN_CLICKED, IDC_MAIL, &CAboutBox::OnMailClicked),
    CommandEntry(STN_CLICKED, IDC_URL, &CAboutBox::OnUrlClicked),
END_MESSAGE_MAP();
// clang-format on

CAboutBox::CAboutBox(CWnd* pParent) : CDialog(IDD_ABOUT, pParent) {}

CAboutBox::~CAboutBox() {}

void CAboutBox::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_URL, m_stcUrl);
    DDX_Control(pDX, IDC_MAIL, m_stcMail);
}

void CAboutBox::OnMailClicked()
{
    Open(m_stcMail);
}

void CAboutBox::OnUrlClicked()
{
    Open(m_stcUrl);
}

// A failure (no program for the scheme) shows nothing.
void CAboutBox::Open(const CStatic& link)
{
    char szText[1000] = {};
    link.GetWindowText(szText, sizeof szText);
    ::ShellExecuteA(nullptr, "open", szText, nullptr, nullptr, SW_SHOWNORMAL);
}

// The panel's version button lives with the box it opens. The echo goes on meanwhile.
void CEchoPanel::OnVersion()
{
    CAboutBox about(this);
    about.DoModal();
}
