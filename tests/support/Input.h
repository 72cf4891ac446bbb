// A person's input at the level of window messages, the same on the simulation and on Windows:
// the test's thread posts to the program's user-interface thread what a person's click or key
// would give there, and waits for that thread to settle. None of these asks the system to find
// where a person points (hit testing, the mouse through the window tree, a list dropped by the
// mouse): what a person sees and does on the screen is tested under Wine, on the real thing.
//
// Each returns false when a person could not do it: the window is gone, hidden or disabled, or
// a window above it in its chain is disabled (a modal box is open over it).
#pragma once

#include "platform/win32.h"

#include <string>

namespace input {

// Until the window's thread waits for input with nothing posted to it left: on the simulation
// the whole world settles; on Windows the thread has taken a marker posted behind everything
// else, with nothing new in between (or has ended). A thread that takes nothing within a
// generous limit fails the test.
void Settle(HWND hwnd);

// A click on a button as BM_CLICK; on any other control, a press in the middle of its client
// area with the cursor there.
bool Click(HWND hwnd);
// One arrow of a vertical up-down control: a press in the upper or lower part of its client
// area.
bool PressArrow(HWND hwndUpDown, bool bUp);
enum KeyModifier : unsigned { KEY_ALT = 1 };
// A key (VK_RETURN, VK_ESCAPE, VK_TAB, 'N' ...) pressed and released on the focus of the
// foreground thread; with Alt, or with no focus, as a system key to the active window.
bool PressKey(UINT nKey, unsigned nModifiers = 0);
// A choice from a drop-down list as a person's makes it: the selection, then CBN_SELCHANGE to
// the list's parent.
bool ChooseListItem(HWND hwndCombo, int nIndex);
// The caption's buttons, as the system commands they give. False when the window has no such
// button, or is already in that state.
bool Minimise(HWND hwnd);
bool Restore(HWND hwnd);
bool CloseBox(HWND hwnd);
// Clicks the button of the message box open over hwndOwner that gives this answer.
bool AnswerMessageBox(HWND hwndOwner, int nAnswer);
// The mouse rests on the control, and what its tooltip would show: the answer of the control's
// parent to the tooltip's request for its text (TTN_NEEDTEXTA), "" when it gives none or no
// tooltip was made.
std::string ToolTipText(HWND hwndControl);

// The focus and active window of the foreground thread (per platform).
HWND Focus();
HWND Foreground();

}  // namespace input
