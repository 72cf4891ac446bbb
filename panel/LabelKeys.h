// The labels' letters of a dialog whose labels come after the controls they name in its
// template. The dialog manager hands a label's marked letter ("入力デバイス(&I)") on to the
// next control after the label in tab order, which there is the wrong one: so the letters are
// read from the labels' own texts when the dialog opens, each with the control its label sits
// against, and the dialog moves the focus there itself.
#pragma once

#include "platform/win32.h"

class CLabelKeys
{
public:
    CLabelKeys();

    // Once the dialog's controls are there.
    void Read(HWND hwndDialog);
    // The control whose label is marked with this letter (either case), or nullptr.
    HWND ControlOf(char cLetter) const;
    // Whether a character message carries a byte of a double-byte character, which is never a
    // letter: the IME's text reaches an ANSI window as two WM_CHARs, lead byte then trail byte,
    // and a trail byte may be an ASCII letter (オ is 0x83 0x49, "I"). Every character message
    // of the dialog is to come here, so that each pair is seen whole.
    bool IsDoubleByte(const MSG& msg);

private:
    struct Key
    {
        char cLetter;  // upper case
        HWND hwndControl;
    };
    static constexpr int MAX_KEYS = 16;

    Key m_aKeys[MAX_KEYS];
    int m_nKeys;
    bool m_bTrailByteNext;
};
