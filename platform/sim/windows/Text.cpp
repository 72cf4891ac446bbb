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

// One character of code page 932 (one or two bytes) to UTF-16 through iconv.
char16_t Decode(iconv_t cd, const unsigned char* p, size_t n)
{
    char in[2] = {static_cast<char>(p[0]), n > 1 ? static_cast<char>(p[1]) : '\0'};
    char out[8];
    char* pIn = in;
    char* pOut = out;
    size_t nIn = n;
    size_t nOut = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == size_t(-1) || nOut != sizeof out - 2)
        return DEFAULT_UNICODE_CHAR;
    return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 static_cast<unsigned char>(out[1]) << 8);
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
        result += p[i] < 0x80 ? static_cast<char16_t>(p[i]) : Decode(cd, p + i, nBytes);
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
        char* pIn = in;
        char* pOut = out;
        size_t nIn = 2;
        size_t nOut = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &pIn, &nIn, &pOut, &nOut) == size_t(-1))
            result += '?';
        else
            result.append(out, sizeof out - nOut);
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
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)  // Latin-1 letters
        return static_cast<char16_t>(c - 32);
    if (c >= 0xFF41 && c <= 0xFF5A)  // full-width Latin letters
        return static_cast<char16_t>(c - 32);
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)  // Greek
        return static_cast<char16_t>(c - 32);
    if (c >= 0x430 && c <= 0x44F)  // Cyrillic
        return static_cast<char16_t>(c - 32);
    return c;
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
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1];
    }
    return 0;
}

}  // namespace sim::win
