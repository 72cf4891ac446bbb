// A drop-down list of a dialog; each item has a pointer-sized item data.
#pragma once

#include "framework/Wnd.h"

class CComboBox : public CWnd
{
public:
    int AddString(LPCSTR pszText) { return Int(SendMessage(CB_ADDSTRING, 0, Text(pszText))); }
    int GetCurSel() const { return Int(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nIndex)
    {
        return Int(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nIndex)));
    }
    DWORD_PTR GetItemData(int nIndex) const
    {
        return static_cast<DWORD_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(nIndex)));
    }
    int SetItemData(int nIndex, DWORD_PTR nData)
    {
        return Int(
            SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(nData)));
    }
    // Copies the item's text; CB_ERR, and the buffer untouched, for no such item.
    int GetLBText(int nIndex, LPSTR pszBuffer) const
    {
        return Int(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                               reinterpret_cast<LPARAM>(pszBuffer)));
    }
    int SelectString(int nStartAfter, LPCSTR pszText)
    {
        return Int(SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(nStartAfter), Text(pszText)));
    }

private:
    static int Int(LRESULT n) { return static_cast<int>(n); }
    static LPARAM Text(LPCSTR psz) { return reinterpret_cast<LPARAM>(psz); }
};
