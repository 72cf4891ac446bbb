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

// The letter of each label with the control that the label names. The dialog manager would hand
// a label's letter on to the next control in tab order after the label, and in the template
// every label comes after all the controls.
struct LabelKey
{
    char cLetter;
    int nId;
};

const LabelKey LABEL_KEYS[] = {
    {'I', IDC_INDEVICE}, {'O', IDC_OUTDEVICE}, {'R', IDC_RATE},
    {'T', IDC_TIME},     {'P', IDC_ECHO},      {'D', IDC_DELAY},
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
      m_bSessionEnded(false)
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
    SetTimer(IDT_LEVEL, LEVEL_TICK_MS);
    return TRUE;
}

// A key the dialog manager takes as a mnemonic: a letter with Alt, or a plain one while the focus
// is on a control that does not take characters itself (a button, the check box). A label's
// letter moves the focus to the control the label names, as the dialog manager moves it; every
// other key goes on to the dialog manager.
BOOL CEchoPanel::PreTranslateMessage(MSG* pMsg)
{
    if (IsMnemonicKey(m_hWnd, pMsg)) {
        const int cLetter = std::toupper(static_cast<unsigned char>(pMsg->wParam));
        for (const LabelKey& key : LABEL_KEYS) {
            if (key.cLetter == cLetter) {
                SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_hWnd, key.nId)),
                            TRUE);
                return TRUE;
            }
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
void CEchoPanel::OnDestroy()
{
    CDialog::OnDestroy();
    StopEcho();
    SaveSettings();
}

// A logoff or shutdown (WM_QUERYENDSESSION gets the default answer, TRUE: the session may
// end). The process ends when this returns, without WM_DESTROY, so the settings are saved here,
// first, since the stop may meet a driver that takes longer than the system waits; what is
// saved is the controls, which the stop does not change. A pending restart is cancelled. The
// message is sent, so it may come inside a start or stop (a wave open or close waits in a
// cross-thread send, which handles it): that one finishes with the echo off.
LRESULT CEchoPanel::OnEndSession(WPARAM bEnding, LPARAM)
{
    if (bEnding) {
        m_bSessionEnded = true;
        KillTimer(IDT_RESTART);
        SaveSettings();
        if (!m_bChanging)
            StopEcho();
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
    EndDialog(0);
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
    if (m_bChanging || m_bSessionEnded)
        return;
    m_bChanging = true;
    // A pending restart is done by this start: OFF afterwards means off.
    KillTimer(IDT_RESTART);
    OpenDevices();
    m_bChanging = false;
    if (m_bSessionEnded)
        StopEcho();
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

void CEchoPanel::OpenDevices()
{
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
            MessageBox("出力デバイスが使用中か指定のフォーマットをサポートしていません。",
                       "出力デバイス初期化失敗", MB_ICONSTOP | MB_OK);
            StopEcho();
            return;
        }
    }
    if (m_pWaveIn)
        return;
    m_pWaveIn = new (std::nothrow) CEchoWaveIn(this);
    if (!m_pWaveIn || !m_pWaveIn->Open(m_nInDevice, m_nRate, 16, m_bStereo, m_nBufferFrames)) {
        MessageBox("入力デバイスが使用中か指定のフォーマットをサポートしていません。",
                   "入力デバイス初期化失敗", MB_ICONSTOP | MB_OK);
        StopEcho();
        return;
    }
    m_pWaveIn->Start();
}

// Also the last step of a failed start, which is still under way afterwards.
void CEchoPanel::StopEcho()
{
    const bool bChanging = m_bChanging;
    m_bChanging = true;
    m_bRunning = FALSE;
    SwitchButtons(m_btnOn, m_btnOff);

    // Capture first: its close ends the worker that writes to the playback device and
    // releases the playback buffers while the playback device is still open.
    if (m_pWaveIn) {
        m_pWaveIn->Close();
        m_pWaveIn->DetachPanel();
        // A worker that did not end may still write to the playback device: the capture device
        // keeps it, and closes and deletes it when that worker has ended.
        if (m_pWaveIn->IsReachedByWorker()) {
            m_pWaveIn->KeepPlaybackDevice(m_pWaveOut);
            m_pWaveOut = nullptr;
        }
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
    m_bChanging = bChanging;
}

void CEchoPanel::RequestRestart()
{
    m_nRestartCount = 2;
    if (m_bRunning) {
        StopEcho();
        if (!m_bSessionEnded)  // it may have ended inside the stop
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
