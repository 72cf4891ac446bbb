// Modal dialog boxes: the owner disabled until EndDialog, the dialog shown when its queue first
// runs dry, and the modal loop.
#include "platform/sim/windows/WindowSystem.h"

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

INT_PTR RunModal(HWND hwndDialog, HWND hwndOwner)
{
    bool bShown = false;
    auto ended = [hwndDialog] {
        World& w = World::Get();
        Lock lk = w.Acquire();
        DialogInfo* pInfo = DialogInfoOf(lk, hwndDialog);
        return !pInfo || pInfo->bEnded;
    };
    while (IsWindow(hwndDialog) && !ended()) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The dialog appears when its queue first runs dry.
            if (!bShown && !IsWindowVisible(hwndDialog))
                ShowWindow(hwndDialog, SW_SHOWNORMAL);
            bShown = true;
            if (hwndOwner && !(GetWindowLongA(hwndDialog, GWL_STYLE) & DS_NOIDLEMSG))
                SendMessageA(hwndOwner, WM_ENTERIDLE, MSGF_DIALOGBOX,
                             reinterpret_cast<LPARAM>(hwndDialog));
            if (ended())
                break;
            GetMessageA(&msg, nullptr, 0, 0);
        }
        if (msg.message == WM_QUIT) {
            // Not for this loop: it ends, and the quit goes on to the loop around it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(hwndDialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    INT_PTR nResult = -1;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        if (DialogInfo* pInfo = DialogInfoOf(lk, hwndDialog))
            nResult = pInfo->nResult;
    }
    if (IsWindow(hwndDialog))
        DestroyWindow(hwndDialog);
    return nResult;
}

}  // namespace sim::win

using namespace sim::win;

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA pTemplate,
                                       HWND hwndOwner, DLGPROC pfnDlgProc, LPARAM lParam)
{
    DialogTemplate t;
    if (!ParseDialogTemplate(pTemplate, &t))
        return -1;
    if (hwndOwner) {
        World& w = World::Get();
        Lock lk = w.Acquire();
        hwndOwner = TopLevelOf(lk, hwndOwner);
    }
    const HWND hwnd = CreateDialogFromTemplate(hInstance, t, hwndOwner, pfnDlgProc, lParam, true);
    if (!hwnd) {
        if (hwndOwner && !IsWindowEnabled(hwndOwner))
            EnableWindow(hwndOwner, TRUE);
        return -1;
    }
    return RunModal(hwnd, hwndOwner);
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR pszTemplate, HWND hwndOwner,
                               DLGPROC pfnDlgProc, LPARAM lParam)
{
    HRSRC hResource = FindResourceA(hInstance, pszTemplate, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!hResource)
        return -1;
    return DialogBoxIndirectParamA(
        hInstance, static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(hInstance, hResource))),
        hwndOwner, pfnDlgProc, lParam);
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR nResult)
{
    HWND hwndOwner = nullptr;
    bool bEnableOwner = false;
    {
        World& w = World::Get();
        Lock lk = w.Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || !p->pDialog) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        p->pDialog->bEnded = true;
        p->pDialog->nResult = nResult;
        bEnableOwner = p->pDialog->bOwnerDisabled;
        p->pDialog->bOwnerDisabled = false;
        hwndOwner = p->hwndOwner;
    }
    // The owner comes back before the dialog goes, so that it becomes active again.
    if (bEnableOwner && hwndOwner)
        EnableWindow(hwndOwner, TRUE);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    return TRUE;
}
