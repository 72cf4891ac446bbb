// A dialog made from a template of the program's resources: modal (DoModal, which runs its own
// message loop until EndDialog) or modeless (Create). It is made hidden, initialised
// (OnInitDialog, which binds the control members), and then shown; an unowned dialog is centred
// on the screen and an owned one over its owner, unless its initialisation showed or moved it.
//
// Its message map sends IDOK to OnOK and IDCANCEL (Esc, the close box) to OnCancel.
#pragma once

#include "framework/Wnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

protected:
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT nMessage, WPARAM wParam, LPARAM lParam);
    BOOL CreateFromTemplate(HWND hwndOwner);
    BOOL HandleInitDialog();
    void RunModalLoop();
    HWND OwnerWindow() const;

    bool m_bContinueModal = false;
    INT_PTR m_nModalResult = -1;
};
