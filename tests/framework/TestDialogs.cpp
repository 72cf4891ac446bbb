#include "tests/framework/TestDialogs.h"

namespace {

struct Tip
{
    int nId;
    const char* pszText;
};

// clang-format off
const Tip TIPS[] = {
    {IDC_ON, "再生を開始する"},
    {IDC_RATE, "サンプリング周波数"},
    {IDC_OFF, "再生を停止する"},
    {IDC_EXIT, "終了"},
    {IDC_VERSION, "バージョン情報"},
    {IDC_TIME, "発音までの時間"},
};
// clang-format on

const int RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000};

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CTestAbout, CDialog)
    CommandEntry(STN_CLICKED, IDC_MAIL, &CTestAbout::OnMailClicked),
    CommandEntry(STN_CLICKED, IDC_URL, &CTestAbout::OnUrlClicked),
END_MESSAGE_MAP();
// clang-format on

// clang-format off
BEGIN_MESSAGE_MAP(CTestPanel, CDialog)
    MessageEntry(WM_PAINT, &CTestPanel::OnPaint),
    MessageEntry(WM_QUERYDRAGICON, &CTestPanel::OnQueryDragIcon),
    MessageEntry(WM_DESTROY, &CTestPanel::OnDestroy),
    CommandEntry(BN_CLICKED, IDC_EXIT, &CTestPanel::OnExit),
    CommandEntry(BN_CLICKED, IDC_ON, &CTestPanel::OnOn),
    CommandEntry(BN_CLICKED, IDC_OFF, &CTestPanel::OnOff),
    MessageEntry(WM_TIMER, &CTestPanel::OnTimer),
    CommandEntry(BN_CLICKED, IDC_VERSION, &CTestPanel::OnVersion),
    NotifyEntry(UDN_DELTAPOS, IDC_TIME_SPIN, &CTestPanel::OnTimeDelta),
    CommandEntry(CBN_SELCHANGE, IDC_RATE, &CTestPanel::OnRateChanged),
    NotifyExEntry(TTN_NEEDTEXTA, 0, &CTestPanel::OnNeedToolTipText),
END_MESSAGE_MAP();
// clang-format on

CTestPanel::CTestPanel(CWnd* pParent) : CDialog(IDD_PANEL, pParent)
{
    m_hIcon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_PANEL));
}

void CTestPanel::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_STEREO, m_btnStereo);
    DDX_Control(pDX, IDC_LEVEL1, m_prgLevel1);
    DDX_Control(pDX, IDC_RATE, m_cmbRate);
    DDX_Control(pDX, IDC_ON, m_btnOn);
    DDX_Control(pDX, IDC_OFF, m_btnOff);
    DDX_Control(pDX, IDC_TIME_SPIN, m_spnTime);
}

BOOL CTestPanel::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    EnableToolTips(TRUE);
    for (int nRate : RATES) {
        const int nIndex = m_cmbRate.AddString(std::to_string(nRate).c_str());
        m_cmbRate.SetItemData(nIndex, static_cast<DWORD_PTR>(nRate));
    }
    m_spnTime.SetRange(50, 1000);
    m_spnTime.SetPos(200);
    m_prgLevel1.SetRange(0, 32767);
    m_btnOn.EnableWindow(TRUE);
    m_btnOff.EnableWindow(FALSE);
    SetTimer(IDT_TICK, 100);
    if (bMoveInInit)
        ::SetWindowPos(m_hWnd, nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    events.push_back("init");
    return TRUE;
}

void CTestPanel::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
    RECT client;
    GetClientRect(&client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

void CTestPanel::OnDestroy()
{
    CDialog::OnDestroy();
    // The controls are still there: children go after their parent hears WM_DESTROY.
    nRateAtDestroy = m_cmbRate.GetCurSel();
    events.push_back("destroy");
}

void CTestPanel::OnTimer(UINT_PTR nId)
{
    if (nId == IDT_TICK)
        ++nTicks;
    CDialog::OnTimer(nId);
}

void CTestPanel::OnOn()
{
    if (bFailOn) {
        nBoxAnswer = MessageBox("出力デバイスが使用中か指定のフォーマットをサポートしていません。",
                                "出力デバイス初期化失敗", MB_ICONSTOP | MB_OK);
        events.push_back("failed");
        return;
    }
    m_btnOn.EnableWindow(FALSE);
    m_btnOff.EnableWindow(TRUE);
    events.push_back("on");
}

void CTestPanel::OnOff()
{
    m_btnOn.EnableWindow(TRUE);
    m_btnOff.EnableWindow(FALSE);
    events.push_back("off");
    if (bAskForHelp)
        SendMessage(WM_COMMAND, ID_HELP);
}

void CTestPanel::OnVersion()
{
    CTestAbout about(this);
    nAboutResult = static_cast<int>(about.DoModal());
    aboutOpened = about.opened;
    events.push_back("about closed");
}

void CTestPanel::OnTimeDelta(NMHDR* pHeader, LRESULT* pResult)
{
    deltas.push_back(*reinterpret_cast<NMUPDOWN*>(pHeader));
    *pResult = nDeltaAnswer;
}

BOOL CTestPanel::OnNeedToolTipText(UINT, NMHDR* pHeader, LRESULT*)
{
    auto* pInfo = reinterpret_cast<TOOLTIPTEXTA*>(pHeader);
    if (!(pInfo->uFlags & TTF_IDISHWND))
        return FALSE;
    const int nId = ::GetDlgCtrlID(reinterpret_cast<HWND>(pHeader->idFrom));
    for (const Tip& tip : TIPS) {
        if (tip.nId == nId) {
            pInfo->lpszText = const_cast<LPSTR>(tip.pszText);
            return TRUE;
        }
    }
    return FALSE;
}

// clang-format off
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
    CommandEntry(0, ID_HELP, &CTestApp::OnHelpAsked),
END_MESSAGE_MAP();
// clang-format on

BOOL CTestApp::InitInstance()
{
    CTestPanel panel;
    m_pMainWnd = &panel;
    nPanelResult = static_cast<int>(panel.DoModal());
    return FALSE;
}
