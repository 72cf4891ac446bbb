// Shows the program's two dialogs for a look at them under Wine: the panel, with some values in
// its controls, and, when asked with "about", the About box over it. They stay up until closed
// (Esc), after a screenshot (scripts/look.sh); closing the About box ends the panel too.
#include "framework/ComboBox.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ProgressCtrl.h"
#include "framework/SpinButtonCtrl.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <cstring>

namespace {

constexpr UINT_PTR IDT_ABOUT = 1;

class CLookPanel : public CDialog
{
public:
    explicit CLookPanel(bool bAbout) : CDialog(IDD_PANEL), m_bAbout(bAbout) {}

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_INDEVICE, m_cmbInDevice);
        DDX_Control(pDX, IDC_OUTDEVICE, m_cmbOutDevice);
        DDX_Control(pDX, IDC_RATE, m_cmbRate);
        DDX_Control(pDX, IDC_TIME_SPIN, m_spnTime);
        DDX_Control(pDX, IDC_ECHO_SPIN, m_spnEcho);
        DDX_Control(pDX, IDC_DELAY_SPIN, m_spnDelay);
        DDX_Control(pDX, IDC_LEVEL1, m_prgLevel1);
        DDX_Control(pDX, IDC_LEVEL2, m_prgLevel2);
    }

    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        const HICON hIcon = AfxGetApp()->LoadIcon(IDI_PANEL);
        SetIcon(hIcon, TRUE);
        SetIcon(hIcon, FALSE);
        EnableToolTips(TRUE);
        m_cmbInDevice.SetCurSel(m_cmbInDevice.AddString("標準のデバイス"));
        m_cmbOutDevice.SetCurSel(m_cmbOutDevice.AddString("標準のデバイス"));
        m_cmbRate.SetCurSel(m_cmbRate.AddString("44100"));
        m_spnTime.SetRange(50, 1000);
        m_spnTime.SetPos(200);
        m_spnEcho.SetRange(0, 255);
        m_spnEcho.SetPos(128);
        m_spnDelay.SetRange(10, 1000);
        m_spnDelay.SetPos(1000);
        m_prgLevel1.SetRange(0, 32767);
        m_prgLevel1.SetPos(24000);
        m_prgLevel2.SetRange(0, 32767);
        m_prgLevel2.SetPos(12000);
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_OFF), FALSE);
        // The About box opens once the panel is up, as it does from the panel's version button.
        if (m_bAbout)
            SetTimer(IDT_ABOUT, 500);
        return TRUE;
    }

    void OnTimer(UINT_PTR nId)
    {
        KillTimer(nId);
        CDialog about(IDD_ABOUT, this);
        about.DoModal();
        EndDialog(0);
    }

    DECLARE_MESSAGE_MAP()

private:
    bool m_bAbout;
    CComboBox m_cmbInDevice;
    CComboBox m_cmbOutDevice;
    CComboBox m_cmbRate;
    CSpinButtonCtrl m_spnTime;
    CSpinButtonCtrl m_spnEcho;
    CSpinButtonCtrl m_spnDelay;
    CProgressCtrl m_prgLevel1;
    CProgressCtrl m_prgLevel2;
};

// clang-format off
BEGIN_MESSAGE_MAP(CLookPanel, CDialog)
    MessageEntry(WM_TIMER, &CLookPanel::OnTimer),
END_MESSAGE_MAP();
// clang-format on

class CLookApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        CLookPanel panel(m_lpCmdLine && std::strstr(m_lpCmdLine, "about"));
        m_pMainWnd = &panel;
        panel.DoModal();
        return FALSE;
    }
};

CLookApp g_app;

}  // namespace
