#include "framework/Dialog.h"

#include "framework/WinApp.h"

namespace {

// The dialog being made on this thread: its window becomes its own with its first message.
thread_local CDialog* t_pDialogInit = nullptr;

}  // namespace

// clang-format off
BEGIN_MESSAGE_MAP(CDialog, CWnd)
    CommandEntry(BN_CLICKED, IDOK, &CDialog::OnOK),
    CommandEntry(BN_CLICKED, IDCANCEL, &CDialog::OnCancel),
    MessageEntry(WM_HELP, &CDialog::OnHelpInfo),
END_MESSAGE_MAP();
// clang-format on

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal()
{
    // The owner is disabled before the dialog is made, as the dialog's centring expects.
    const HWND hwndOwner = OwnerWindow();
    const bool bEnableOwner = hwndOwner && ::IsWindowEnabled(hwndOwner);
    if (bEnableOwner)
        ::EnableWindow(hwndOwner, FALSE);
    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateFromTemplate(hwndOwner) && m_bContinueModal)
        RunModalLoop();
    m_bContinueModal = false;
    // The owner comes back before the dialog goes, so that it becomes active again, with the
    // focus where it had it.
    if (bEnableOwner)
        ::EnableWindow(hwndOwner, TRUE);
    if (m_hWnd) {
        const bool bWasActive = ::GetActiveWindow() == m_hWnd;
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (hwndOwner && bWasActive && ::GetActiveWindow() != hwndOwner)
            ::SetActiveWindow(hwndOwner);
    }
    DestroyWindow();
    return m_nModalResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(OwnerWindow());
}

// A modal dialog's own loop ends, and DoModal takes the dialog away; a modeless one is hidden.
void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    if (m_bContinueModal)
        m_bContinueModal = false;
    else
        ::EndDialog(m_hWnd, nResult);
}

// F1: the help command, which goes from the dialog to its owner and on to the application.
LRESULT CDialog::OnHelpInfo(WPARAM, LPARAM)
{
    SendMessage(WM_COMMAND, ID_HELP);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    RelayToolTipMessage(*pMsg);
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

// The top-level window of the parent, else the application's main window, if it has one that
// is not this dialog.
HWND CDialog::OwnerWindow() const
{
    HWND hwnd = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    if (!hwnd) {
        CWnd* pMain = AfxGetMainWnd();
        hwnd = pMain && pMain != this ? pMain->m_hWnd : nullptr;
    }
    while (hwnd && (::GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD))
        hwnd = ::GetParent(hwnd);
    return hwnd;
}

BOOL CDialog::CreateFromTemplate(HWND hwndOwner)
{
    // The common controls are registered before any dialog that may use them is made.
    INITCOMMONCONTROLSEX init{sizeof init, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    const HINSTANCE hInstance = AfxGetInstanceHandle();
    HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(m_nIDTemplate), RT_DIALOG);
    if (!hResource)
        return FALSE;
    const auto* pTemplate =
        static_cast<LPCDLGTEMPLATEA>(::LockResource(::LoadResource(hInstance, hResource)));
    t_pDialogInit = this;
    const HWND hwnd = ::CreateDialogIndirectParamA(hInstance, pTemplate, hwndOwner, DialogProc, 0);
    t_pDialogInit = nullptr;
    return hwnd != nullptr;
}

// The dialog procedure: it makes the window this object's at its first message (WM_SETFONT, or
// WM_INITDIALOG for a template without a font) and runs the initialisation; everything else
// comes to the message map through the window procedure.
INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT nMessage, WPARAM, LPARAM)
{
    // While a CDialog is destroyed its window's last messages come here through the CWnd part:
    // the object is a CDialog only for WM_INITDIALOG.
    CWnd* pWnd = FromHandlePermanent(hwnd);
    if (!pWnd && t_pDialogInit) {
        CDialog* pDialog = t_pDialogInit;
        t_pDialogInit = nullptr;
        pDialog->SubclassWindow(hwnd);
        pWnd = pDialog;
    }
    if (nMessage == WM_INITDIALOG && pWnd)
        return static_cast<CDialog*>(pWnd)->HandleInitDialog();
    return FALSE;
}

// An unowned dialog is centred on the screen and an owned one over its disabled owner, after its
// initialisation, unless that has shown or moved it.
BOOL CDialog::HandleInitDialog()
{
    RECT before;
    GetWindowRect(&before);
    const bool bWasVisible = (GetStyle() & WS_VISIBLE) != 0;
    const BOOL bResult = OnInitDialog();
    if (!m_hWnd)
        return bResult;
    RECT after;
    GetWindowRect(&after);
    const HWND hwndOwner = ::GetWindow(m_hWnd, GW_OWNER);
    const DWORD nStyle = GetStyle();
    if (!bWasVisible && !(nStyle & (WS_VISIBLE | WS_CHILD)) && before.left == after.left &&
        before.top == after.top && (!hwndOwner || !::IsWindowEnabled(hwndOwner)) &&
        !(nStyle & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)))
        CenterWindow();
    return bResult;
}

void CDialog::RunModalLoop()
{
    if (!(GetStyle() & WS_VISIBLE))
        ShowWindow(SW_SHOWNORMAL);
    MSG msg;
    while (m_bContinueModal) {
        const BOOL bGot = ::GetMessageA(&msg, nullptr, 0, 0);
        if (bGot <= 0) {
            // A quit is not this loop's: the dialog ends, and the quit goes on to the loop around.
            // A dialog ended meanwhile (by a message sent to it inside this wait) keeps its
            // result, as on Windows.
            if (bGot == 0)
                ::PostQuitMessage(static_cast<int>(msg.wParam));
            if (m_bContinueModal)
                m_nModalResult = -1;
            break;
        }
        // Messages of this dialog and its controls go through its keyboard and its tooltips;
        // those of other windows (the owner's timers) are dispatched as they come.
        if (!PreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}
