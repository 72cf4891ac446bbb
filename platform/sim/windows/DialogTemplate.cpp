// The dialog template parser: plain (DLGTEMPLATE) and extended (DLGTEMPLATEEX) templates, their
// font, and their items with the predefined classes given as ordinals.
#include "platform/sim/windows/WindowSystem.h"

#include <cstring>

namespace sim::win {

namespace {

template <class T>
T Get(const unsigned char*& p)
{
    T value;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
}

// A name or an ordinal (0xFFFF and a WORD), or nothing (a single 0).
std::u16string GetNameOrOrdinal(const unsigned char*& p, int* pnOrdinal)
{
    std::u16string text;
    if (pnOrdinal)
        *pnOrdinal = -1;
    const WORD nFirst = Get<WORD>(p);
    if (nFirst == 0xFFFF) {
        const WORD nOrdinal = Get<WORD>(p);
        if (pnOrdinal)
            *pnOrdinal = nOrdinal;
        return text;
    }
    for (char16_t c = static_cast<char16_t>(nFirst); c; c = Get<char16_t>(p))
        text += c;
    return text;
}

// The predefined classes from 0x80 on: the templates have buttons, edits, statics and combo boxes.
std::string PredefinedClass(int nOrdinal)
{
    static const char* const NAMES[] = {"Button",  "Edit",      "Static",
                                        "ListBox", "ScrollBar", "ComboBox"};
    return nOrdinal >= 0x80 && nOrdinal <= 0x85 ? NAMES[nOrdinal - 0x80]
                                                : "#" + std::to_string(nOrdinal);
}

// A plain template and its items give the style first; an extended one a help id, then the
// extended style.
void GetStyles(const unsigned char*& p, bool bExtended, DWORD* pnStyle, DWORD* pnExStyle)
{
    p += bExtended ? 4 : 0;
    const DWORD nFirst = Get<DWORD>(p);
    const DWORD nSecond = Get<DWORD>(p);
    *pnStyle = bExtended ? nSecond : nFirst;
    *pnExStyle = bExtended ? nFirst : nSecond;
}

void AlignTo4(const unsigned char*& p, const unsigned char* pBase)
{
    p = pBase + ((static_cast<size_t>(p - pBase) + 3) & ~size_t(3));
}

}  // namespace

bool ParseDialogTemplate(const void* pTemplate, DialogTemplate* pOut)
{
    const auto* pBase = static_cast<const unsigned char*>(pTemplate);
    if (!pBase)
        return false;
    const unsigned char* p = pBase;
    DialogTemplate& t = *pOut;
    const unsigned char* pHead = p;
    t.bExtended = Get<WORD>(pHead) == 1 && Get<WORD>(pHead) == 0xFFFF;  // version, signature
    p += t.bExtended ? 4 : 0;
    GetStyles(p, t.bExtended, &t.nStyle, &t.nExStyle);
    const WORD nItems = Get<WORD>(p);
    t.x = Get<short>(p);
    t.y = Get<short>(p);
    t.cx = Get<short>(p);
    t.cy = Get<short>(p);
    int nMenu = -1;
    if (!GetNameOrOrdinal(p, &nMenu).empty() || nMenu >= 0)
        return false;  // menus are not simulated
    t.className = GetNameOrOrdinal(p, nullptr);
    t.title = GetNameOrOrdinal(p, nullptr);
    if (t.nStyle & (DS_SETFONT | DS_SHELLFONT)) {
        t.nPointSize = Get<WORD>(p);
        p += t.bExtended ? 4 : 0;  // the weight, italic and character set: the font's looks
        GetNameOrOrdinal(p, nullptr);
    }
    for (WORD i = 0; i < nItems; ++i) {
        AlignTo4(p, pBase);
        DialogItem item;
        GetStyles(p, t.bExtended, &item.nStyle, &item.nExStyle);
        item.x = Get<short>(p);
        item.y = Get<short>(p);
        item.cx = Get<short>(p);
        item.cy = Get<short>(p);
        item.nId = t.bExtended ? Get<DWORD>(p) : Get<WORD>(p);
        int nOrdinal = -1;
        const std::u16string className = GetNameOrOrdinal(p, &nOrdinal);
        item.className = nOrdinal >= 0 ? PredefinedClass(nOrdinal) : ToAnsi(className);
        item.text = GetNameOrOrdinal(p, &item.nTextOrdinal);
        if (Get<WORD>(p) != 0)
            return false;  // creation data for a control is not simulated
        t.items.push_back(item);
    }
    return true;
}

}  // namespace sim::win
