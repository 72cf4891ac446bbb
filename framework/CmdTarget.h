// The base of everything that has a message map: windows and the application.
#pragma once

#include "framework/MessageMap.h"

class CCmdTarget
{
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget();
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // The map of this class with no entries and no base: where every search ends.
    static const CMessageMap* GetThisMessageMap();

    // Finds the entry for a message in this object's maps, most derived first, and calls its
    // handler. nCode and nId count for WM_COMMAND and WM_NOTIFY only. False when no entry
    // handles it.
    bool HandleMessage(UINT nMessage, UINT nCode, UINT nId, WPARAM wParam, LPARAM lParam,
                       LRESULT* pResult);

protected:
    virtual const CMessageMap* GetMessageMap() const;
};
