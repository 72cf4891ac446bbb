// Modal dialog boxes: the owner disabled until EndDialog, the dialog shown when its queue first
// runs dry, and the modal loop.
#include "platform/sim/windows/WindowSystem.h"

#include <utility>

using sim::Lock;
using sim::SetError;
using sim::World;

namespace sim::win {

INT_PTR RunModal(HWND hwndDialog)
{
    bool bShown = false;
    auto ended = [hwndDialog] {
        Lock lk = World::Get().Acquire();
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
        Lock lk = World::Get().Acquire();
        if (DialogInfo* pInfo = DialogInfoOf(lk, hwndDialog))
            nResult = pInfo->nResult;
    }
    if (IsWindow(hwndDialog))
        DestroyWindow(hwndDialog);
    return nResult;
}

}  // namespace sim::win

using namespace sim::win;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR pszTemplate, HWND hwndOwner,
                               DLGPROC pfnDlgProc, LPARAM lParam)
{
    HRSRC hResource = FindResourceA(hInstance, pszTemplate, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    DialogTemplate t;
    if (!hResource || !ParseDialogTemplate(LockResource(LoadResource(hInstance, hResource)), &t))
        return -1;
    if (hwndOwner) {
        Lock lk = World::Get().Acquire();
        hwndOwner = TopLevelOf(lk, hwndOwner);
    }
    const HWND hwnd = CreateDialogFromTemplate(hInstance, t, hwndOwner, pfnDlgProc, lParam, true);
    if (!hwnd) {
        if (hwndOwner && !IsWindowEnabled(hwndOwner))
            EnableWindow(hwndOwner, TRUE);
        return -1;
    }
    return RunModal(hwnd);
}

BOOL WINAPI EndDialog(HWND hwnd, INT_PTR nResult)
{
    HWND hwndEnable = nullptr;  // the owner that DialogBox disabled
    {
        Lock lk = World::Get().Acquire();
        Window* p = Find(lk, hwnd);
        if (!p || !p->pDialog) {
            SetError(lk, ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        p->pDialog->bEnded = true;
        p->pDialog->nResult = nResult;
        if (std::exchange(p->pDialog->bOwnerDisabled, false))
            hwndEnable = p->hwndOwner;
    }
    // The owner comes back before the dialog goes, so that it becomes active again.
    if (hwndEnable)
        EnableWindow(hwndEnable, TRUE);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(hwnd, WM_NULL, 0, 0);
    return TRUE;
}
