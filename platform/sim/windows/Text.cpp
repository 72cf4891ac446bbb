// Texts between the program's code page 932 and the UTF-16 that windows keep, converted as
// MultiByteToWideChar and WideCharToMultiByte do: a byte sequence that is not a character of
// the code page becomes U+30FB, a character without a code becomes '?'.
#include "platform/sim/windows/WindowSystem.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace sim::win {

namespace {

constexpr char16_t DEFAULT_UNICODE_CHAR = 0x30FB;

bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// One character through iconv: the bytes it gives, or 0 when the other side has no code for it.
size_t Convert(iconv_t cd, const char* pFrom, size_t nIn, char* pOut, size_t nOut)
{
    char* pIn = const_cast<char*>(pFrom);  // iconv only reads it
    const size_t nRoom = nOut;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == size_t(-1))
        return 0;
    return nRoom - nOut;
}

}  // namespace

std::u16string FromAnsi(const char* psz, int nLength)
{
    std::u16string result;
    if (!psz)
        return result;
    const size_t n = nLength < 0 ? std::strlen(psz) : static_cast<size_t>(nLength);
    const auto* p = reinterpret_cast<const unsigned char*>(psz);
    iconv_t cd = iconv_open("UTF-16LE", "CP932");
    for (size_t i = 0; i < n;) {
        // A lead byte at the end has no trail byte: alone, it is no character.
        const size_t nBytes = IsLeadByte(p[i]) && i + 1 < n ? 2 : 1;
        unsigned char out[8];
        if (p[i] < 0x80)
            result += static_cast<char16_t>(p[i]);
        else if (Convert(cd, psz + i, nBytes, reinterpret_cast<char*>(out), sizeof out) == 2)
            result += static_cast<char16_t>(out[0] | out[1] << 8);
        else
            result += DEFAULT_UNICODE_CHAR;
        i += nBytes;
    }
    iconv_close(cd);
    return result;
}

std::string ToAnsi(const std::u16string& text)
{
    std::string result;
    iconv_t cd = iconv_open("CP932", "UTF-16LE");
    for (char16_t c : text) {
        if (c < 0x80) {
            result += static_cast<char>(c);
            continue;
        }
        char in[2] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        char out[4];
        const size_t nBytes = Convert(cd, in, sizeof in, out, sizeof out);
        if (nBytes)
            result.append(out, nBytes);
        else
            result += '?';
    }
    iconv_close(cd);
    return result;
}

int CopyAnsi(const std::u16string& text, char* pBuffer, int nMax)
{
    if (!pBuffer || nMax <= 0)
        return 0;
    const std::string ansi = ToAnsi(text);
    int n = static_cast<int>(ansi.size());
    if (n > nMax - 1) {
        n = nMax - 1;
        // Never leave half of a double-byte character at the end.
        int i = 0;
        while (i < n)
            i += IsLeadByte(static_cast<unsigned char>(ansi[i])) ? 2 : 1;
        if (i > n)
            n -= 1;
    }
    std::memcpy(pBuffer, ansi.data(), static_cast<size_t>(n));
    pBuffer[n] = '\0';
    return n;
}

char16_t FoldCase(char16_t c)
{
    // The small letters of ASCII, Latin-1, full-width Latin, Greek and Cyrillic lie 32 above
    // their capitals.
    const bool bSmall = (c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
                        (c >= 0xFF41 && c <= 0xFF5A) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
                        (c >= 0x430 && c <= 0x44F);
    return bSmall ? static_cast<char16_t>(c - 32) : c;
}

bool StartsWithNoCase(const std::u16string& text, const std::u16string& prefix)
{
    if (prefix.size() > text.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (FoldCase(text[i]) != FoldCase(prefix[i]))
            return false;
    return true;
}

char16_t Mnemonic(const std::u16string& text)
{
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[++i] != u'&')  // "&&" stands for a '&' itself
            return text[i];
    }
    return 0;
}

}  // namespace sim::win

// The ANSI code page is 932.
BOOL WINAPI IsDBCSLeadByte(BYTE c)
{
    return sim::win::IsLeadByte(c);
}
