// The control panel: the program's one window. It lets the singer choose the devices, the rate
// and stereo, set the buffer time, the echo strength and the echo delay, switch the echo on and
// off and watch the two levels; it restores its settings when it opens and saves them when it
// closes.
#pragma once

#include "framework/Button.h"
#include "framework/ComboBox.h"
#include "framework/CriticalSection.h"
#include "framework/Dialog.h"
#include "framework/ProgressCtrl.h"
#include "framework/SpinButtonCtrl.h"
#include "panel/LabelKeys.h"
#include "panel/RequestQueue.h"

#include <atomic>

class CEchoWaveIn;
class CEchoWaveOut;

// Timers of the panel window.
constexpr UINT_PTR IDT_RESTART = 1001;  // the countdown to a restart after a setting changed
constexpr UINT_PTR IDT_LEVEL = 1002;    // copies the levels to the meters
constexpr UINT RESTART_TICK_MS = 250;
constexpr UINT LEVEL_TICK_MS = 100;

// Posted by the panel to itself: carry out the requests it holds.
constexpr UINT WM_PANELREQUESTS = WM_APP + 1;

class CEchoPanel : public CDialog
{
public:
    explicit CEchoPanel(CWnd* pParent = nullptr);
    ~CEchoPanel() override;

    // The echo control, on the user-interface thread.
    void StartEcho();
    void StopEcho();
    // A setting changed: while the echo is on, it stops now and starts again with the new
    // settings on the second tick of IDT_RESTART after the last change.
    void RequestRestart();
    void OnTimer(UINT_PTR nId);
    // The capture worker thread, once per block.
    void SetLevels(int nLevel1, int nLevel2);

    // The echo parameters. The echo capture device reads m_pWaveOut, m_nBufferFrames,
    // m_nEchoLevel and m_nDelayFrames when it opens.
    BOOL m_bRunning;
    CEchoWaveOut* m_pWaveOut;  // owned
    CEchoWaveIn* m_pWaveIn;    // owned
    // Written by the capture worker under m_csLevels, read by the level timer without it.
    std::atomic<int> m_nLevel1;
    std::atomic<int> m_nLevel2;
    int m_nRate;  // Hz
    int m_nDelayFrames;
    int m_nEchoLevel;  // 0..255
    int m_nBufferFrames;
    int m_nRestartCount;  // ticks of IDT_RESTART until the restart
    int m_nInDevice;      // index, or -1 (WAVE_MAPPER) for the default device
    int m_nOutDevice;
    BOOL m_bStereo;
    // Taken without a limit: it is held for two stores.
    CCriticalSection m_csLevels;

    CButton m_btnStereo;
    CProgressCtrl m_prgLevel2;
    CComboBox m_cmbRate;
    CComboBox m_cmbOutDevice;
    CComboBox m_cmbInDevice;
    CButton m_btnOn;
    CButton m_btnOff;
    CProgressCtrl m_prgLevel1;
    CSpinButtonCtrl m_spnTime;
    CSpinButtonCtrl m_spnEcho;
    CSpinButtonCtrl m_spnDelay;
    HICON m_hIcon;  // a shared resource icon: never destroyed

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The labels' letters go to the controls they name.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnOK() override;
    void OnCancel() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnDestroy();
    LRESULT OnEndSession(WPARAM bEnding, LPARAM nReason);
    LRESULT OnPanelRequests(WPARAM, LPARAM);
    void OnExit();
    void OnVersion();  // with the About box, in app/
    BOOL OnNeedToolTipText(UINT nId, NMHDR* pHeader, LRESULT* pResult);

    DECLARE_MESSAGE_MAP()

private:
    // Holds a request of the echo or of the panel's end, to be carried out from the message
    // loop (OnPanelRequests).
    void Carry(PanelRequest request);
    void OpenDevices();
    void CloseDevices();
    void Restart();
    // The program is ending, or is asked to: nothing more is opened or shown.
    bool IsEnding() const;
    void SwitchButtons(CButton& btnEnable, CButton& btnDisable);
    void RestoreSettings();
    void SaveSettings();

    CRequestQueue m_requests;
    bool m_bChanging;        // a request is being carried out
    bool m_bRequestsPosted;  // WM_PANELREQUESTS is on its way
    bool m_bEnding;          // the panel ends: Exit, the session's end or its window's end
    CLabelKeys m_labelKeys;
};
