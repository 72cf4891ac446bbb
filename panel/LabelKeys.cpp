#include "panel/LabelKeys.h"

#include <cctype>
#include <climits>
#include <cstdlib>

namespace {

// The letter after the first single '&' of a text in the ANSI code page, upper case, or 0. A
// double-byte character is stepped over whole: its trail byte is no '&' and no letter.
char MarkedLetter(const char* psz)
{
    for (; *psz; ++psz) {
        const auto c = static_cast<unsigned char>(*psz);
        if (IsDBCSLeadByte(c)) {
            if (!*++psz)
                break;
        } else if (c == '&') {
            if (*++psz != '&')
                return static_cast<char>(std::toupper(static_cast<unsigned char>(*psz)));
        }
    }
    return 0;
}

// How far a control begins from where a label would name it: the label's lower left corner (a
// label above its control) or its upper right one (a label before it).
int Distance(const RECT& label, const RECT& control)
{
    const int nBelow = std::abs(control.left - label.left) + std::abs(control.top - label.bottom);
    const int nBeside = std::abs(control.left - label.right) + std::abs(control.top - label.top);
    return nBelow < nBeside ? nBelow : nBeside;
}

}  // namespace

CLabelKeys::CLabelKeys() : m_aKeys{}, m_nKeys(0), m_bTrailByteNext(false) {}

void CLabelKeys::Read(HWND hwndDialog)
{
    m_nKeys = 0;
    for (HWND hwndLabel = ::GetWindow(hwndDialog, GW_CHILD); hwndLabel && m_nKeys < MAX_KEYS;
         hwndLabel = ::GetWindow(hwndLabel, GW_HWNDNEXT)) {
        if (!(::SendMessageA(hwndLabel, WM_GETDLGCODE, 0, 0) & DLGC_STATIC))
            continue;
        char szText[256];
        ::GetWindowTextA(hwndLabel, szText, sizeof szText);
        const char cLetter = MarkedLetter(szText);
        if (!cLetter)
            continue;
        RECT label;
        ::GetWindowRect(hwndLabel, &label);
        HWND hwndNamed = nullptr;
        int nNearest = INT_MAX;
        for (HWND hwnd = ::GetWindow(hwndDialog, GW_CHILD); hwnd;
             hwnd = ::GetWindow(hwnd, GW_HWNDNEXT)) {
            RECT control;
            if (!(::GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP) ||
                !::GetWindowRect(hwnd, &control))
                continue;
            const int nDistance = Distance(label, control);
            if (nDistance < nNearest) {
                nNearest = nDistance;
                hwndNamed = hwnd;
            }
        }
        if (hwndNamed)
            m_aKeys[m_nKeys++] = Key{cLetter, hwndNamed};
    }
}

HWND CLabelKeys::ControlOf(char cLetter) const
{
    const char cUpper = static_cast<char>(std::toupper(static_cast<unsigned char>(cLetter)));
    for (int i = 0; i < m_nKeys; ++i)
        if (m_aKeys[i].cLetter == cUpper)
            return m_aKeys[i].hwndControl;
    return nullptr;
}

bool CLabelKeys::IsDoubleByte(const MSG& msg)
{
    if (msg.message != WM_CHAR)
        return false;
    if (m_bTrailByteNext) {
        m_bTrailByteNext = false;
        return true;
    }
    m_bTrailByteNext = IsDBCSLeadByte(static_cast<BYTE>(msg.wParam)) != FALSE;
    return m_bTrailByteNext;
}
