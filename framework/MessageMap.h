// Message maps: plain tables that send a message, or a notification from a control, to a member
// function of a window or of the application. Each entry names the message, the notification
// code and the control id (both only for WM_COMMAND and WM_NOTIFY), and the handler with its
// kind, which says how the handler is called and what its result means.
//
// A class with a map declares it with DECLARE_MESSAGE_MAP() and lists it in its source file
// (clang-format would take the entries for one expression):
//
//     // clang-format off
//     BEGIN_MESSAGE_MAP(CEchoPanel, CDialog)
//         MessageEntry(WM_PAINT, &CEchoPanel::OnPaint),
//         CommandEntry(BN_CLICKED, IDC_EXIT, &CEchoPanel::OnExit),
//         NotifyEntry(UDN_DELTAPOS, IDC_TIME_SPIN, &CEchoPanel::RequestRestart),
//         NotifyExEntry(TTN_NEEDTEXTA, 0, &CEchoPanel::OnNeedToolTipText),
//     END_MESSAGE_MAP();
//     // clang-format on
//
// The maps of a class and of its bases are searched in that order; the first entry that fits
// handles the message, except an OnNotifyEx handler that returns FALSE, which passes it on.
#pragma once

#include "platform/win32.h"

#include <cstddef>
#include <iterator>

class CCmdTarget;

enum class HandlerKind {
    Plain,     // void f(); the message's result is 0
    Timer,     // void f(UINT_PTR nId)
    Cursor,    // HCURSOR f(); the result is the cursor
    Message,   // LRESULT f(WPARAM, LPARAM)
    Notify,    // void f(NMHDR*, LRESULT* pResult)
    NotifyEx,  // BOOL f(UINT nId, NMHDR*, LRESULT* pResult); FALSE passes the notification on
};

// The handler's member function, seen as one of CCmdTarget (it belongs to a derived class).
union HandlerFunction {
    void (CCmdTarget::*pfnPlain)();
    void (CCmdTarget::*pfnTimer)(UINT_PTR);
    HCURSOR (CCmdTarget::*pfnCursor)();
    LRESULT (CCmdTarget::*pfnMessage)(WPARAM, LPARAM);
    void (CCmdTarget::*pfnNotify)(NMHDR*, LRESULT*);
    BOOL (CCmdTarget::*pfnNotifyEx)(UINT, NMHDR*, LRESULT*);

    constexpr HandlerFunction(void (CCmdTarget::*pfn)()) : pfnPlain(pfn) {}
    constexpr HandlerFunction(void (CCmdTarget::*pfn)(UINT_PTR)) : pfnTimer(pfn) {}
    constexpr HandlerFunction(HCURSOR (CCmdTarget::*pfn)()) : pfnCursor(pfn) {}
    constexpr HandlerFunction(LRESULT (CCmdTarget::*pfn)(WPARAM, LPARAM)) : pfnMessage(pfn) {}
    constexpr HandlerFunction(void (CCmdTarget::*pfn)(NMHDR*, LRESULT*)) : pfnNotify(pfn) {}
    constexpr HandlerFunction(BOOL (CCmdTarget::*pfn)(UINT, NMHDR*, LRESULT*)) : pfnNotifyEx(pfn) {}
};

struct CMessageMapEntry
{
    UINT nMessage;
    UINT nCode;  // WM_COMMAND and WM_NOTIFY: the notification code
    UINT nId;    // WM_COMMAND and WM_NOTIFY: the control id
    HandlerKind kind;
    HandlerFunction handler;
};

struct CMessageMap
{
    const CMessageMap* (*pfnBase)();  // the map of the base class, or none
    const CMessageMapEntry* pEntries;
    size_t nEntries;
};

// ---- entries

template <class T>
CMessageMapEntry MessageEntry(UINT nMessage, void (T::*pfn)())
{
    return {nMessage, 0, 0, HandlerKind::Plain, static_cast<void (CCmdTarget::*)()>(pfn)};
}

template <class T>
CMessageMapEntry MessageEntry(UINT nMessage, void (T::*pfn)(UINT_PTR))
{
    return {nMessage, 0, 0, HandlerKind::Timer, static_cast<void (CCmdTarget::*)(UINT_PTR)>(pfn)};
}

template <class T>
CMessageMapEntry MessageEntry(UINT nMessage, HCURSOR (T::*pfn)())
{
    return {nMessage, 0, 0, HandlerKind::Cursor, static_cast<HCURSOR (CCmdTarget::*)()>(pfn)};
}

template <class T>
CMessageMapEntry MessageEntry(UINT nMessage, LRESULT (T::*pfn)(WPARAM, LPARAM))
{
    return {nMessage, 0, 0, HandlerKind::Message,
            static_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>(pfn)};
}

// A command (nCode 0, the same as BN_CLICKED and STN_CLICKED) or a control's notification
// through WM_COMMAND (CBN_SELCHANGE ...).
template <class T>
CMessageMapEntry CommandEntry(UINT nCode, UINT nId, void (T::*pfn)())
{
    return {WM_COMMAND, nCode, nId, HandlerKind::Plain, static_cast<void (CCmdTarget::*)()>(pfn)};
}

// A notification through WM_NOTIFY, from the control whose window has this id. A handler
// without parameters answers 0.
template <class T>
CMessageMapEntry NotifyEntry(UINT nCode, UINT nId, void (T::*pfn)(NMHDR*, LRESULT*))
{
    return {WM_NOTIFY, nCode, nId, HandlerKind::Notify,
            static_cast<void (CCmdTarget::*)(NMHDR*, LRESULT*)>(pfn)};
}

template <class T>
CMessageMapEntry NotifyEntry(UINT nCode, UINT nId, void (T::*pfn)())
{
    return {WM_NOTIFY, nCode, nId, HandlerKind::Plain, static_cast<void (CCmdTarget::*)()>(pfn)};
}

template <class T>
CMessageMapEntry NotifyExEntry(UINT nCode, UINT nId, BOOL (T::*pfn)(UINT, NMHDR*, LRESULT*))
{
    return {WM_NOTIFY, nCode, nId, HandlerKind::NotifyEx,
            static_cast<BOOL (CCmdTarget::*)(UINT, NMHDR*, LRESULT*)>(pfn)};
}

// ---- declaring and defining a class's map

#define DECLARE_MESSAGE_MAP()                      \
public:                                            \
    static const CMessageMap* GetThisMessageMap(); \
                                                   \
protected:                                         \
    const CMessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)         \
    const CMessageMap* theClass::GetMessageMap() const \
    {                                                  \
        return GetThisMessageMap();                    \
    }                                                  \
    const CMessageMap* theClass::GetThisMessageMap()   \
    {                                                  \
        using ThisBase = baseClass;                    \
        static const CMessageMapEntry entries[] = {
#define END_MESSAGE_MAP()                                                                    \
    }                                                                                        \
    ;                                                                                        \
    static const CMessageMap map{&ThisBase::GetThisMessageMap, entries, std::size(entries)}; \
    return &map;                                                                             \
    }                                                                                        \
    static_assert(true, "a message map ends with a semicolon")
