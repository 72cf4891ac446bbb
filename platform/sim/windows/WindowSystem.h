// The window system of the simulation: the user32, comctl32 and gdi32 state behind the
// program's windows, shared by the files of this room.
//
// Rules (besides those of the world, kernel/World.h):
// - All state here is guarded by the world lock; the functions taking a Lock& expect it held.
// - A window procedure, dialog procedure or timer procedure is called without the lock, through
//   the public calls (SendMessageA, CallWindowProcA ...). The built-in control classes are
//   written like the program's own window procedures: they take the lock for their state and
//   release it before they notify their parent.
// - A window belongs to the thread that created it; only that thread sends it messages.
#pragma once

#include "platform/sim/kernel/World.h"
#include "platform/sim/windows.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sim::win {

// ---- texts: the program speaks code page 932, windows keep UTF-16 as Windows NT does
std::u16string FromAnsi(const char* psz, int nLength = -1);
std::string ToAnsi(const std::u16string& text);
// Copies text into an ANSI buffer of nMax bytes as WM_GETTEXT does; returns the bytes copied.
int CopyAnsi(const std::u16string& text, char* pBuffer, int nMax);
char16_t FoldCase(char16_t c);
bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix);
// The character that '&' marks in a control text (0 when none).
char16_t Mnemonic(const std::u16string& text);

// ---- classes
struct WindowClass
{
    std::string name;  // as registered; matched without regard to case
    WNDPROC pfnProc = nullptr;
    int cbWndExtra = 0;
    HINSTANCE hInstance = nullptr;
    bool bCommonControl = false;  // registered by InitCommonControlsEx
};

// What a control class keeps for each of its windows.
struct ControlData
{
    virtual ~ControlData() = default;
};

// The dialog procedure itself is kept where the program can read it, at DWLP_DLGPROC.
struct DialogInfo
{
    int nBaseX = 0;  // dialog base units of the dialog's font, in pixels
    int nBaseY = 0;
    int nDefId = 0;            // the default push button of the template, 0 for none
    HWND hwndFocus = nullptr;  // the control that had the focus last
    bool bEnded = false;       // EndDialog was called
    INT_PTR nResult = 0;
    bool bOwnerDisabled = false;  // DialogBox disabled the owner and must enable it again
};

enum class Life { Creating, Alive, Destroying };

struct Window
{
    HWND hwnd = nullptr;
    std::shared_ptr<WindowClass> pClass;
    WNDPROC pfnProc = nullptr;
    DWORD nThread = 0;
    HWND hwndParent = nullptr;   // of a child window
    HWND hwndOwner = nullptr;    // of a top-level window
    std::vector<HWND> children;  // in z-order, the topmost first
    LONG nStyle = 0;
    LONG nExStyle = 0;
    LONG_PTR nId = 0;
    LONG_PTR nUserData = 0;
    HINSTANCE hInstance = nullptr;
    std::vector<unsigned char> extra;  // the class's window extra bytes
    std::u16string text;
    int nTextOrdinal = -1;  // a template text given as a resource ordinal
    RECT rect{};            // in the parent's client coordinates, or the screen's
    bool bIconic = false;
    Life life = Life::Creating;
    bool bNeedPaint = false;
    bool bErase = false;
    HICON hIconBig = nullptr;
    HICON hIconSmall = nullptr;
    HWND hwndUpDown = nullptr;  // the up-down control that this window is the buddy of
    std::unique_ptr<DialogInfo> pDialog;
    std::shared_ptr<ControlData> pData;
};

struct Timer
{
    HWND hwnd = nullptr;
    UINT_PTR nId = 0;
    DWORD nThread = 0;
    UINT nPeriod = 0;
    TIMERPROC pfnProc = nullptr;
    uint64_t nEvent = 0;
    uint64_t nReadySince = 0;  // 0: not due; else the order in which timers fell due
};

struct Icon
{
    int cx = 32;
    int cy = 32;
    std::string source;  // "resource 136"
};

struct ResourceEntry
{
    WORD nType = 0;  // ordinals: a resource named by a text is not simulated
    WORD nName = 0;
    WORD nLanguage = 0;
    const unsigned char* pData = nullptr;
    DWORD nSize = 0;
};

struct MessageBoxState
{
    MessageBoxRecord record;
};

// The whole state of the window system.
struct State
{
    std::map<HWND, std::shared_ptr<Window>> windows;
    std::vector<HWND> topLevel;  // z-order of the top-level windows, the topmost first
    std::vector<std::shared_ptr<WindowClass>> classes;
    bool bCommonControls = false;
    uintptr_t nNextHwnd = 0x20010;
    std::map<DWORD, HWND> focus;   // per thread
    std::map<DWORD, HWND> active;  // per thread
    HWND hwndForeground = nullptr;
    POINT cursor{640, 512};
    std::vector<Timer> timers;
    uint64_t nNextReady = 1;
    UINT_PTR nNextThreadTimer = 0x7FF0;
    std::map<HICON, Icon> icons;
    uintptr_t nNextIcon = 0x30010;
    std::map<HDC, HWND> dcs;  // from BeginPaint to EndPaint
    uintptr_t nNextDc = 0x40010;
    std::vector<MessageBoxState> messageBoxes;
    std::vector<DrawIconRecord> drawnIcons;
};

// Messages of the window system's own, in the range that a class keeps for itself.
constexpr UINT SIM_BUDDYKEY = WM_USER + 0x3A00;  // up-down: arrow key wParam in its buddy

// ---- access (lock held)
State& S(Lock& lk);
DWORD CurrentThread(Lock& lk);
Window* Find(Lock& lk, HWND hwnd);
// Find for a call given the handle: no such window fails it with ERROR_INVALID_WINDOW_HANDLE.
Window* FindOrFail(Lock& lk, HWND hwnd);
std::shared_ptr<Window> FindShared(Lock& lk, HWND hwnd);
template <class T>
std::shared_ptr<T> Data(Lock& lk, HWND hwnd)
{
    Window* p = Find(lk, hwnd);
    return p ? std::dynamic_pointer_cast<T>(p->pData) : nullptr;
}
std::shared_ptr<WindowClass> FindClass(Lock& lk, const std::string& name);
bool SameClassName(const std::string& a, const std::string& b);  // without regard to case
// Registers a class of the window system itself, at start.
void AddBuiltInClass(const WindowClass& cls);
// A message of a control class's own range that the simulation does not model: misuse, so that
// a program that starts to send it is told, and answered 0 (takes the lock).
LRESULT NotSimulated(HWND hwnd, UINT nMessage);

// ---- the window tree (lock held)
bool IsDescendant(Lock& lk, HWND hwndAncestor, HWND hwnd);
HWND TopLevelOf(Lock& lk, HWND hwnd);
// The nearest dialog that hwnd is, or is inside of.
Window* DialogOf(Lock& lk, HWND hwnd);
bool IsShown(Lock& lk, const Window& w);   // itself and every parent visible
bool IsUsable(Lock& lk, const Window& w);  // itself and every parent enabled

// ---- geometry (lock held)
// The simulated display: its size and the height of a caption.
constexpr int SCREEN_CX = 1280;
constexpr int SCREEN_CY = 1024;
constexpr int CAPTION = 19;
RECT Insets(LONG nStyle, LONG nExStyle);
POINT ClientOrigin(Lock& lk, const Window& w);
RECT ClientRectOf(const Window& w);
void Invalidate(Lock& lk, Window& w, bool bErase, bool bChildren);

// ---- messages
// Sends WM_COMMAND with a notification code to the parent of a control (lock not held).
void NotifyParent(HWND hwndControl, UINT nCode);
// Sends a WM_NOTIFY from a control to its parent (lock not held).
LRESULT SendNotify(HWND hwndControl, NMHDR* pHeader);

// ---- creation
struct CreateParams
{
    DWORD nExStyle = 0;
    std::string className;
    std::u16string text;
    int nTextOrdinal = -1;
    DWORD nStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    HWND hwndParent = nullptr;
    LONG_PTR nId = 0;
    HINSTANCE hInstance = nullptr;
    LPVOID pParam = nullptr;
    bool bDialog = false;  // gets a DialogInfo before its first message
};
HWND CreateWindowInternal(const CreateParams& params);  // lock not held

// ---- dialogs
struct DialogItem
{
    DWORD nStyle = 0;
    DWORD nExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD nId = 0;
    std::string className;
    std::u16string text;
    int nTextOrdinal = -1;
};
struct DialogTemplate
{
    bool bExtended = false;
    DWORD nStyle = 0;
    DWORD nExStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string className;
    std::u16string title;
    WORD nPointSize = 0;
    std::vector<DialogItem> items;
};
bool ParseDialogTemplate(const void* p, DialogTemplate* pOut);
// bModal: a dialog box, which disables its owner until EndDialog.
HWND CreateDialogFromTemplate(HINSTANCE hInstance, const DialogTemplate& t, HWND hwndOwner,
                              DLGPROC pfnDlgProc, LPARAM lParam, bool bModal);
// The modal loop of DialogBox and MessageBox; destroys the dialog and returns its result.
INT_PTR RunModal(HWND hwndDialog);
DialogInfo* DialogInfoOf(Lock& lk, HWND hwnd);  // lock held; nullptr for a window that is none
// Focus to a control as the dialog manager gives it: an edit gets all of its text selected.
void DialogSetFocus(HWND hwndControl);
LRESULT CALLBACK DialogClassProc(HWND, UINT, WPARAM, LPARAM);

// ---- resources and icons
HINSTANCE ModuleHandle();
HICON LoadIconLocked(Lock& lk, HINSTANCE hInstance, LPCSTR pszName);

// ---- timers (lock held)
void KillWindowTimers(Lock& lk, HWND hwnd);

// ---- focus and activation (lock not held)
// Moves the focus and sends WM_KILLFOCUS and WM_SETFOCUS; remembers it for the dialog.
HWND SetFocusInternal(HWND hwnd);
// The active window goes away (hidden, minimised, destroyed): its owner becomes active, or
// none.
void ActivateOther(HWND hwndLeaving);

}  // namespace sim::win
