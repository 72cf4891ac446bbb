#include "panel/EchoPanel.h"

#include "echo/EchoWaveIn.h"
#include "framework/DataExchange.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "panel/ProfileFile.h"
#include "res/resource.h"
#include "wave/EchoWaveOut.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <new>

namespace {

const char SETTINGS_FILE[] = ".\\sorvanta.ini";
const char DEFAULT_DEVICE[] = "標準のデバイス";

const int RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 0};

struct ToolTip
{
    int nId;
    const char* pszText;
};

const ToolTip TOOLTIPS[] = {
    {IDC_ON, "再生を開始する"},
    {IDC_RATE, "サンプリング周波数"},
    {IDC_OFF, "再生を停止する"},
    {IDC_EXIT, "終了"},
    {IDC_VERSION, "バージョン情報"},
    {IDC_TIME, "発音までの時間"},
    {IDC_ECHO, "エコーの強さ"},
    {IDC_DELAY, "エコーするまでの時間"},
};

bool IsMnemonicKey(HWND hwndDialog, MSG* pMsg)
{
    if (pMsg->message != WM_SYSCHAR && pMsg->message != WM_CHAR)
        return false;
    if (pMsg->hwnd != hwndDialog && !::IsChild(hwndDialog, pMsg->hwnd))
        return false;
    return pMsg->message == WM_SYSCHAR || !(::SendMessageA(pMsg->hwnd, WM_GETDLGCODE, pMsg->wParam,
                                                           reinterpret_cast<LPARAM>(pMsg)) &
                                            (DLGC_WANTCHARS | DLGC_WANTMESSAGE));
}

// A stored number as the C runtime's atoi reads it: leading blanks, a sign, then digits up to
// the first other character; no digits give 0. Past the limits of int it saturates, where a
// plain conversion would overflow.
int SettingToInt(const char* psz)
{
    while (std::isspace(static_cast<unsigned char>(*psz)))
        ++psz;
    const bool bNegative = *psz == '-';
    if (*psz == '-' || *psz == '+')
        ++psz;
    long long n = 0;
    for (; *psz >= '0' && *psz <= '9'; ++psz)
        n = std::min<long long>(n * 10 + (*psz - '0'), 1LL + INT_MAX);
    n = bNegative ? -n : n;
    return static_cast<int>(std::clamp<long long>(n, INT_MIN, INT_MAX));
}

// What an up-down control takes as a position: the low 16 bits as a signed number.
int LowWord(int n)
{
    return static_cast<short>(static_cast<unsigned>(n) & 0xFFFF);
}

// The position of an up-down control within its range, whatever the control answers: the echo
// ring is sized for the longest delay the range allows.
int Position(const CSpinButtonCtrl& spin)
{
    int nLower = 0, nUpper = 0;
    spin.GetRange(nLower, nUpper);
    return std::clamp(LowWord(spin.GetPos()), std::min(nLower, nUpper), std::max(nLower, nUpper));
}

// The item data of the selected item: a device index or a rate; CB_ERR (-1) with none
// selected, which for a device list is the default device.
int SelectedData(const CComboBox& list)
{
    return static_cast<int>(list.GetItemData(list.GetCurSel()));
}

template <class TDevice>
void FillDeviceList(CComboBox& list, TDevice* pDevice)
{
    list.SetItemData(list.AddString(DEFAULT_DEVICE), static_cast<DWORD_PTR>(-1));
    for (UINT i = 0; pDevice && i < pDevice->GetDeviceCount(); ++i)
        list.SetItemData(list.AddString(pDevice->GetDeviceName(i)), i);
}

// A list search with the stored text; an empty text (a missing key, the first start) that
// leaves the list without a choice chooses its first item.
void SelectStored(CComboBox& list, const char* pszText)
{
    list.SelectString(-1, pszText);
    if (*pszText == '\0' && list.GetCurSel() == CB_ERR)
        list.SetCurSel(0);
}

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CEchoPanel, CDialog)
    MessageEntry(WM_PAINT, &CEchoPanel::OnPaint),
    MessageEntry(WM_QUERYDRAGICON, &CEchoPanel::OnQueryDragIcon),
    MessageEntry(WM_DESTROY, &CEchoPanel::OnDestroy),
    MessageEntry(WM_ENDSESSION, &CEchoPanel::OnEndSession),
    MessageEntry(WM_PANELREQUESTS, &CEchoPanel::OnPanelRequests),
    CommandEntry(BN_CLICKED, IDC_EXIT, &CEchoPanel::OnExit),
    CommandEntry(BN_CLICKED, IDC_ON, &CEchoPanel::StartEcho),
    CommandEntry(BN_CLICKED, IDC_OFF, &CEchoPanel::StopEcho),
    MessageEntry(WM_TIMER, &CEchoPanel::OnTimer),
    CommandEntry(BN_CLICKED, IDC_VERSION, &CEchoPanel::OnVersion),
    NotifyEntry(UDN_DELTAPOS, IDC_TIME_SPIN, &CEchoPanel::RequestRestart),
    CommandEntry(CBN_SELCHANGE, IDC_RATE, &CEchoPanel::RequestRestart),
    NotifyExEntry(TTN_NEEDTEXTA, 0, &CEchoPanel::OnNeedToolTipText),
    NotifyEntry(UDN_DELTAPOS, IDC_ECHO_SPIN, &CEchoPanel::RequestRestart),
    NotifyEntry(UDN_DELTAPOS, IDC_DELAY_SPIN, &CEchoPanel::RequestRestart),
    CommandEntry(BN_CLICKED, IDC_STEREO, &CEchoPanel::RequestRestart),
    CommandEntry(CBN_SELCHANGE, IDC_INDEVICE, &CEchoPanel::RequestRestart),
    CommandEntry(CBN_SELCHANGE, IDC_OUTDEVICE, &CEchoPanel::RequestRestart),
END_MESSAGE_MAP();
// clang-format on

CEchoPanel::CEchoPanel(CWnd* pParent)
    : CDialog(IDD_PANEL, pParent),
      m_bRunning(FALSE),
      m_pWaveOut(nullptr),
      m_pWaveIn(nullptr),
      m_nLevel1(0),
      m_nLevel2(0),
      m_nRate(0),
      m_nDelayFrames(0),
      m_nEchoLevel(0),
      m_nBufferFrames(0),
      m_nRestartCount(0),
      m_nInDevice(-1),
      m_nOutDevice(-1),
      m_bStereo(FALSE),
      m_hIcon(::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDI_PANEL))),
      m_bChanging(false),
      m_bRequestsPosted(false),
      m_bEnding(false)
{
}

// The devices are gone: OnDestroy stopped the echo.
CEchoPanel::~CEchoPanel() {}

void CEchoPanel::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_STEREO, m_btnStereo);
    DDX_Control(pDX, IDC_LEVEL2, m_prgLevel2);
    DDX_Control(pDX, IDC_RATE, m_cmbRate);
    DDX_Control(pDX, IDC_OUTDEVICE, m_cmbOutDevice);
    DDX_Control(pDX, IDC_INDEVICE, m_cmbInDevice);
    DDX_Control(pDX, IDC_ON, m_btnOn);
    DDX_Control(pDX, IDC_OFF, m_btnOff);
    DDX_Control(pDX, IDC_LEVEL1, m_prgLevel1);
    DDX_Control(pDX, IDC_TIME_SPIN, m_spnTime);
    DDX_Control(pDX, IDC_ECHO_SPIN, m_spnEcho);
    DDX_Control(pDX, IDC_DELAY_SPIN, m_spnDelay);
}

BOOL CEchoPanel::OnInitDialog()
{
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    EnableToolTips(TRUE);
    m_bRunning = FALSE;

    for (const int* pRate = RATES; *pRate; ++pRate) {
        char szRate[16];
        std::snprintf(szRate, sizeof szRate, "%d", *pRate);
        m_cmbRate.SetItemData(m_cmbRate.AddString(szRate), static_cast<DWORD_PTR>(*pRate));
    }
    // The device lists come from short-lived devices that are never opened.
    m_pWaveIn = new (std::nothrow) CEchoWaveIn(this);
    FillDeviceList(m_cmbInDevice, m_pWaveIn);
    DeleteWaveDevice(m_pWaveIn);
    m_pWaveIn = nullptr;
    m_pWaveOut = new (std::nothrow) CEchoWaveOut(this);
    FillDeviceList(m_cmbOutDevice, m_pWaveOut);
    DeleteWaveDevice(m_pWaveOut);
    m_pWaveOut = nullptr;

    m_spnTime.SetRange(50, 1000);
    m_spnEcho.SetRange(0, 255);
    m_spnDelay.SetRange(10, 1000);
    m_prgLevel1.SetRange(0, 32767);
    m_prgLevel2.SetRange(0, 32767);
    m_csLevels.Lock();
    m_nLevel1 = 0;
    m_nLevel2 = 0;
    m_csLevels.Unlock();
    m_btnOn.EnableWindow(TRUE);
    m_btnOff.EnableWindow(FALSE);
    m_btnStereo.SetCheck(0);
    RestoreSettings();
    m_labelKeys.Read(m_hWnd);
    SetTimer(IDT_LEVEL, LEVEL_TICK_MS);
    return TRUE;
}

// A key the dialog manager takes as a mnemonic: a letter with Alt, or a plain one while the focus
// is on a control that does not take characters itself (a button, the check box). A label's
// letter moves the focus to the control the label names, as the dialog manager moves it; a byte
// of a double-byte character goes to the control as it is, past the dialog manager, which would
// take a trail byte for a letter; every other key goes on to the dialog manager.
BOOL CEchoPanel::PreTranslateMessage(MSG* pMsg)
{
    const bool bDoubleByte = m_labelKeys.IsDoubleByte(*pMsg);
    if (IsMnemonicKey(m_hWnd, pMsg)) {
        if (bDoubleByte)
            return FALSE;
        if (HWND hwnd = m_labelKeys.ControlOf(static_cast<char>(pMsg->wParam))) {
            SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hwnd), TRUE);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

// The ranges are set before: a stored number outside its range comes to its nearest bound.
void CEchoPanel::RestoreSettings()
{
    CProfileFile file(SETTINGS_FILE);
    SelectStored(m_cmbInDevice, file.Read("INDEVICE"));
    SelectStored(m_cmbOutDevice, file.Read("OUTDEVICE"));
    SelectStored(m_cmbRate, file.Read("RATE"));
    m_btnStereo.SetCheck(SettingToInt(file.Read("STEREO")));
    m_spnTime.SetPos(LowWord(SettingToInt(file.Read("TIME"))));
    m_spnEcho.SetPos(LowWord(SettingToInt(file.Read("ECHO"))));
    m_spnDelay.SetPos(LowWord(SettingToInt(file.Read("DELAY"))));
}

void CEchoPanel::OnPaint()
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

HCURSOR CEchoPanel::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}

// The controls are still there: children are destroyed after their parent hears WM_DESTROY.
// The window goes only from the modal loop, never inside a request; the requests still held go
// with it, as does the message that would carry them out, and the echo stops at once.
void CEchoPanel::OnDestroy()
{
    CDialog::OnDestroy();
    m_bEnding = true;
    m_requests.Clear();
    CloseDevices();
    SaveSettings();
}

// A logoff or shutdown (WM_QUERYENDSESSION gets the default answer, TRUE: the session may
// end). The process may end as soon as this returns, without WM_DESTROY, so the settings are
// saved at once, before the stop, which may meet a driver that takes longer than the system
// waits; what is saved is the controls, which the stop does not change. Then the program ends
// as Exit ends it, since a process may outlive the session's end (a restart manager's
// ENDSESSION_CLOSEAPP leaves it to close itself). The quit posted here ends every modal loop of
// the thread, a failure's message box included, now: the message is sent, so it may come inside
// a start or stop, which finishes first, opening nothing more.
LRESULT CEchoPanel::OnEndSession(WPARAM bEnding, LPARAM)
{
    if (bEnding) {
        SaveSettings();
        ::PostQuitMessage(0);
        Carry(REQUEST_END_SESSION);
    }
    return 0;
}

// What is saved is what the controls show, not the running echo.
void CEchoPanel::SaveSettings()
{
    CProfileFile file(SETTINGS_FILE);
    char szText[1000];
    // A list without a choice leaves its stored name as it was: an unplugged device's name
    // survives until the device is back.
    if (m_cmbInDevice.GetLBText(m_cmbInDevice.GetCurSel(), szText) != CB_ERR)
        file.WriteString("INDEVICE", szText);
    if (m_cmbOutDevice.GetLBText(m_cmbOutDevice.GetCurSel(), szText) != CB_ERR)
        file.WriteString("OUTDEVICE", szText);
    file.WriteInt("RATE", SelectedData(m_cmbRate));
    file.WriteInt("STEREO", m_btnStereo.GetCheck());
    file.WriteInt("TIME", m_spnTime.GetPos());
    file.WriteInt("ECHO", m_spnEcho.GetPos());
    file.WriteInt("DELAY", m_spnDelay.GetPos());
}

// The IDOK command (Enter goes to the exit button, the default one) does not end the panel.
void CEchoPanel::OnOK() {}

void CEchoPanel::OnCancel()
{
    OnExit();
}

void CEchoPanel::OnExit()
{
    Carry(REQUEST_EXIT);
}

BOOL CEchoPanel::OnNeedToolTipText(UINT, NMHDR* pHeader, LRESULT*)
{
    auto* pRequest = reinterpret_cast<TOOLTIPTEXTA*>(pHeader);
    if (!(pRequest->uFlags & TTF_IDISHWND))
        return FALSE;
    const int nId = ::GetDlgCtrlID(reinterpret_cast<HWND>(pHeader->idFrom));
    for (const ToolTip& tip : TOOLTIPS) {
        if (tip.nId == nId) {
            pRequest->lpszText = const_cast<LPSTR>(tip.pszText);
            return TRUE;
        }
    }
    return FALSE;
}

// ---- the echo control

void CEchoPanel::StartEcho()
{
    Carry(REQUEST_START);
}

void CEchoPanel::StopEcho()
{
    Carry(REQUEST_STOP);
}

void CEchoPanel::RequestRestart()
{
    Carry(REQUEST_RESTART);
}

// Every request of the echo and of the panel's end is held, and carried out from the panel's own
// message loop, one for each WM_PANELREQUESTS it posts to itself, in the order the requests came.
// So none runs inside another: a start or stop waits inside its wave calls (under Wine each open
// and close waits for winmm's thread in a cross-thread send) and its message boxes, and there
// the thread handles what other programs send it (a screen reader's or an automation tool's
// press, a setting's change, the session's end), which, run there, would free a device still in
// use. And every caller is answered at once: another program's send, which waits for its answer,
// does not wait for a start or stop, which a storm of sends arriving inside its wave calls can
// hold up for seconds. Should a post fail (a full queue), the requests wait for the next one.
void CEchoPanel::Carry(PanelRequest request)
{
    m_requests.Add(request);
    if (!m_bRequestsPosted)
        m_bRequestsPosted = PostMessage(WM_PANELREQUESTS) != FALSE;
}

// Also inside a failure's message box, whose loop dispatches what is posted to the panel: the
// request under way posts again when it has finished.
LRESULT CEchoPanel::OnPanelRequests(WPARAM, LPARAM)
{
    m_bRequestsPosted = false;
    PanelRequest request;
    if (m_bChanging || !m_requests.Take(request))
        return 0;
    m_bChanging = true;
    switch (request) {
        case REQUEST_START:
            if (!m_bEnding)
                OpenDevices();
            break;
        case REQUEST_STOP:
            CloseDevices();
            break;
        case REQUEST_RESTART:
            if (!m_bEnding)
                Restart();
            break;
        case REQUEST_EXIT:
            m_bEnding = true;
            EndDialog(0);
            break;
        case REQUEST_END_SESSION:
            m_bEnding = true;
            KillTimer(IDT_RESTART);
            CloseDevices();
            EndDialog(0);
            break;
    }
    m_bChanging = false;
    if (!m_requests.IsEmpty())
        m_bRequestsPosted = PostMessage(WM_PANELREQUESTS) != FALSE;
    return 0;
}

bool CEchoPanel::IsEnding() const
{
    return m_bEnding || m_requests.Holds(REQUEST_EXIT) || m_requests.Holds(REQUEST_END_SESSION);
}

// ON and OFF each disable the button that a click or its mnemonic has just given the focus,
// and a window disabled while it has the focus leaves the focus nowhere: the panel would answer
// no key. The focus goes to the other button first, as the dialog manager moves it.
void CEchoPanel::SwitchButtons(CButton& btnEnable, CButton& btnDisable)
{
    btnEnable.EnableWindow(TRUE);
    if (::GetFocus() == btnDisable.m_hWnd)
        SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(btnEnable.m_hWnd), TRUE);
    btnDisable.EnableWindow(FALSE);
}

// The start. A request to end that arrives inside it (in a wave open) leaves the rest undone
// and shows no message: the end closes what is open.
void CEchoPanel::OpenDevices()
{
    // A pending restart is done by this start: OFF afterwards means off.
    KillTimer(IDT_RESTART);
    m_bRunning = TRUE;
    SwitchButtons(m_btnOff, m_btnOn);

    m_nInDevice = SelectedData(m_cmbInDevice);
    m_nOutDevice = SelectedData(m_cmbOutDevice);
    m_nRate = SelectedData(m_cmbRate);
    m_nDelayFrames = Position(m_spnDelay) * m_nRate / 1000;
    m_nEchoLevel = Position(m_spnEcho);
    m_nBufferFrames = Position(m_spnTime) * m_nRate / 1000;
    m_bStereo = m_btnStereo.GetCheck() > 0;

    // The playback device first: the capture device prepares its playback buffers for it.
    // Without a rate there is nothing to open, which the singer hears of as the output's
    // failure.
    if (!m_pWaveOut) {
        m_pWaveOut = m_nRate > 0 ? new (std::nothrow) CEchoWaveOut(this) : nullptr;
        if (!m_pWaveOut || !m_pWaveOut->Open(m_nOutDevice, m_nRate, 16, m_bStereo)) {
            if (!IsEnding())
                MessageBox("出力デバイスが使用中か指定のフォーマットをサポートしていません。",
                           "出力デバイス初期化失敗", MB_ICONSTOP | MB_OK);
            CloseDevices();
            return;
        }
    }
    if (m_pWaveIn || IsEnding())
        return;
    m_pWaveIn = new (std::nothrow) CEchoWaveIn(this);
    if (!m_pWaveIn || !m_pWaveIn->Open(m_nInDevice, m_nRate, 16, m_bStereo, m_nBufferFrames)) {
        if (!IsEnding())
            MessageBox("入力デバイスが使用中か指定のフォーマットをサポートしていません。",
                       "入力デバイス初期化失敗", MB_ICONSTOP | MB_OK);
        CloseDevices();
        return;
    }
    m_pWaveIn->Start();
}

// The stop; also the last step of a failed start.
void CEchoPanel::CloseDevices()
{
    m_bRunning = FALSE;
    SwitchButtons(m_btnOn, m_btnOff);

    // Capture first: its close ends the worker that writes to the playback device and releases
    // the playback buffers while the playback device is still open. A capture device whose
    // worker outlived the close has taken the playback device, which that worker may still
    // write to, and closes and frees it itself.
    if (m_pWaveIn) {
        m_pWaveIn->Close();
        DeleteWaveDevice(m_pWaveIn);
        m_pWaveIn = nullptr;
    }
    if (m_pWaveOut) {
        m_pWaveOut->Close();
        DeleteWaveDevice(m_pWaveOut);
        m_pWaveOut = nullptr;
    }
    m_csLevels.Lock();
    m_nLevel1 = 0;
    m_nLevel2 = 0;
    m_csLevels.Unlock();
}

void CEchoPanel::Restart()
{
    m_nRestartCount = 2;
    if (m_bRunning) {
        CloseDevices();
        SetTimer(IDT_RESTART, RESTART_TICK_MS);
    }
}

void CEchoPanel::OnTimer(UINT_PTR nId)
{
    if (nId == IDT_RESTART) {
        if (--m_nRestartCount <= 0) {
            KillTimer(IDT_RESTART);
            StartEcho();
        }
    } else if (nId == IDT_LEVEL) {
        m_prgLevel1.SetPos(m_nLevel1);
        m_prgLevel2.SetPos(m_nLevel2);
    }
    CDialog::OnTimer(nId);
}

void CEchoPanel::SetLevels(int nLevel1, int nLevel2)
{
    m_csLevels.Lock();
    m_nLevel1 = nLevel1;
    m_nLevel2 = nLevel2;
    m_csLevels.Unlock();
}
