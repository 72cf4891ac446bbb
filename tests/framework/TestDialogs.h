// Dialogs of the tests on the program's own templates, written as the program's windows are:
// a panel with control members bound by DDX_Control, a message map, tooltips, timers and an
// icon drawn when minimised, and an About box with two links.
#pragma once

#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/PaintDC.h"
#include "framework/ProgressCtrl.h"
#include "framework/SpinButtonCtrl.h"
#include "framework/Static.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <atomic>
#include <string>
#include <vector>

constexpr UINT_PTR IDT_TICK = 1002;

class CTestAbout : public CDialog
{
public:
    explicit CTestAbout(CWnd* pParent) : CDialog(IDD_ABOUT, pParent) {}

    CStatic m_stcUrl;
    CStatic m_stcMail;
    std::vector<std::string> opened;  // the texts of the links clicked

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_URL, m_stcUrl);
        DDX_Control(pDX, IDC_MAIL, m_stcMail);
    }
    void OnUrlClicked() { Open(m_stcUrl); }
    void OnMailClicked() { Open(m_stcMail); }

    DECLARE_MESSAGE_MAP()

private:
    void Open(const CStatic& link)
    {
        char text[1000] = {};
        link.GetWindowText(text, sizeof text);
        opened.push_back(text);
    }
};

class CTestPanel : public CDialog
{
public:
    explicit CTestPanel(CWnd* pParent = nullptr);

    // What a test wants of the panel.
    bool bFailOn = false;      // ON shows a message box instead of switching on
    bool bAskForHelp = false;  // OFF sends the help command, which the panel does not handle
    bool bMoveInInit = false;  // the initialisation moves the dialog itself

    // What happened, for the test to read once the panel's thread is idle; the ticks, which
    // come while it waits, at any time.
    std::vector<std::string> events;
    std::atomic<int> nTicks{0};
    int nBoxAnswer = 0;  // what the message box of a failed ON returned
    int nDeltaAnswer = 0;
    std::vector<NMUPDOWN> deltas;
    int nRateAtDestroy = -2;
    int nAboutResult = 0;
    std::vector<std::string> aboutOpened;
    HWND hwndAbout = nullptr;

    CButton m_btnStereo;
    CProgressCtrl m_prgLevel1;
    CComboBox m_cmbRate;
    CButton m_btnOn;
    CButton m_btnOff;
    CSpinButtonCtrl m_spnTime;
    HICON m_hIcon;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override { events.push_back("OK"); }
    void OnCancel() override { EndDialog(0); }

    void OnPaint();
    HCURSOR OnQueryDragIcon() { return m_hIcon; }
    void OnDestroy();
    void OnTimer(UINT_PTR nId);
    void OnExit() { EndDialog(0); }
    void OnOn();
    void OnOff();
    void OnVersion();
    void OnRateChanged() { events.push_back("rate " + std::to_string(m_cmbRate.GetCurSel())); }
    void OnTimeDelta(NMHDR* pHeader, LRESULT* pResult);
    BOOL OnNeedToolTipText(UINT nId, NMHDR* pHeader, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()
};

class CTestApp : public CWinApp
{
public:
    BOOL InitInstance() override;

    int nHelp = 0;
    int nPanelResult = -2;

protected:
    void OnHelpAsked() { ++nHelp; }

    DECLARE_MESSAGE_MAP()
};
