// The program's resources as the compiled script holds them, read through the resource calls
// of each platform: the two dialog templates byte for byte, the icon and the version resource.
#include "tests/platform/PanelTemplate.h"
#include "tests/support/PlatformTest.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

class Resources : public PlatformTest
{
};

const WORD JAPANESE = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

struct Bytes
{
    const unsigned char* p = nullptr;
    DWORD nSize = 0;
};

Bytes Load(LPCSTR pszName, LPCSTR pszType)
{
    const HMODULE hModule = GetModuleHandleA(nullptr);
    HRSRC hResource = FindResourceExA(hModule, pszType, pszName, JAPANESE);
    if (!hResource)
        return Bytes{};
    return Bytes{static_cast<const unsigned char*>(LockResource(LoadResource(hModule, hResource))),
                 SizeofResource(hModule, hResource)};
}

// Reads a dialog template as the dialog manager does.
class Reader
{
public:
    Reader(const unsigned char* p) : m_pBase(p), m_p(p) {}
    template <class T>
    T Get()
    {
        T value;
        std::memcpy(&value, m_p, sizeof value);
        m_p += sizeof value;
        return value;
    }
    // A text, or "#n" for an ordinal.
    std::u16string Name()
    {
        std::u16string s;
        WORD c = Get<WORD>();
        if (c == 0xFFFF)
            return u"#" + Number(Get<WORD>());
        for (; c; c = Get<WORD>())
            s += static_cast<char16_t>(c);
        return s;
    }
    void Align() { m_p = m_pBase + ((m_p - m_pBase + 3) & ~3); }
    void Skip(size_t n) { m_p += n; }

    static std::u16string Number(unsigned n)
    {
        std::u16string s;
        for (char c : std::to_string(n))
            s += static_cast<char16_t>(c);
        return s;
    }

private:
    const unsigned char* m_pBase;
    const unsigned char* m_p;
};

std::u16string Wide(const char* psz)
{
    std::u16string s;
    for (; *psz; ++psz)
        s += static_cast<char16_t>(*psz);
    return s;
}

// The predefined classes go by their ordinals, the others by name in any case.
bool SameClass(const std::u16string& name, const char* pszClass)
{
    const struct
    {
        const char* pszName;
        unsigned nOrdinal;
    } predefined[] = {{"Button", 0x80}, {"Edit", 0x81}, {"Static", 0x82}, {"ComboBox", 0x85}};
    for (const auto& p : predefined)
        if (std::strcmp(p.pszName, pszClass) == 0 && name == u"#" + Reader::Number(p.nOrdinal))
            return true;
    const std::u16string wanted = Wide(pszClass);
    if (name.size() != wanted.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(name[i]) != std::tolower(wanted[i]))
            return false;
    return true;
}

// A text of the template in UTF-16, compared with the same text in code page 932.
std::u16string FromProgram(const char* pszAnsi)
{
    WCHAR buffer[128] = {};
    MultiByteToWideChar(932, 0, pszAnsi, -1, buffer, 128);
    std::u16string s;
    for (const WCHAR* p = buffer; *p; ++p)
        s += static_cast<char16_t>(*p);
    return s;
}

TEST_F(Resources, ThePanelTemplateIsExtendedAndHoldsItsControlsExactly)
{
    const Bytes t = Load(MAKEINTRESOURCEA(IDD_PANEL), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(t.p, nullptr) << "no Japanese IDD_PANEL";
    Reader r(t.p);
    EXPECT_EQ(r.Get<WORD>(), 1);
    EXPECT_EQ(r.Get<WORD>(), 0xFFFF) << "an extended template";
    r.Get<DWORD>();  // help id
    EXPECT_EQ(r.Get<DWORD>(), DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ(r.Get<DWORD>(), PANEL_STYLE);
    ASSERT_EQ(r.Get<WORD>(), std::size(PANEL));
    EXPECT_EQ(r.Get<short>(), 0);
    EXPECT_EQ(r.Get<short>(), 0);
    EXPECT_EQ(r.Get<short>(), 243);
    EXPECT_EQ(r.Get<short>(), 139);
    EXPECT_EQ(r.Name(), u"") << "no menu";
    EXPECT_EQ(r.Name(), u"") << "the standard dialog class";
    EXPECT_EQ(r.Name(), u"Sorvanta");
    EXPECT_EQ(r.Get<WORD>(), 9);
    EXPECT_EQ(r.Get<WORD>(), 0) << "default weight";
    EXPECT_EQ(r.Get<BYTE>(), 0) << "not italic";
    EXPECT_EQ(r.Get<BYTE>(), DEFAULT_CHARSET);
    EXPECT_EQ(r.Name(), u"ＭＳ Ｐゴシック");
    for (const TemplateControl& c : PANEL) {
        SCOPED_TRACE(c.pszText);
        r.Align();
        r.Get<DWORD>();  // help id
        EXPECT_EQ(r.Get<DWORD>(), 0u) << "extended style";
        EXPECT_EQ(r.Get<DWORD>(), WS_CHILD | WS_VISIBLE | c.nStyle);
        EXPECT_EQ(r.Get<short>(), c.rect.left);
        EXPECT_EQ(r.Get<short>(), c.rect.top);
        EXPECT_EQ(r.Get<short>(), c.rect.right);
        EXPECT_EQ(r.Get<short>(), c.rect.bottom);
        EXPECT_EQ(static_cast<int>(r.Get<DWORD>()), c.nId);
        EXPECT_TRUE(SameClass(r.Name(), c.pszClass)) << c.pszClass;
        EXPECT_EQ(r.Name(), FromProgram(c.pszText));
        r.Skip(r.Get<WORD>());
    }
}

TEST_F(Resources, TheAboutTemplateIsPlainWithTheProjectsOwnTexts)
{
    const Bytes t = Load(MAKEINTRESOURCEA(IDD_ABOUT), MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(t.p, nullptr) << "no Japanese IDD_ABOUT";
    Reader r(t.p);
    EXPECT_EQ(r.Get<DWORD>(), DWORD(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION))
        << "no system menu, so no close box";
    EXPECT_EQ(r.Get<DWORD>(), 0u);
    ASSERT_EQ(r.Get<WORD>(), std::size(ABOUT));
    EXPECT_EQ(r.Get<short>(), 0);
    EXPECT_EQ(r.Get<short>(), 0);
    EXPECT_EQ(r.Get<short>(), 183);
    EXPECT_EQ(r.Get<short>(), 61);
    EXPECT_EQ(r.Name(), u"");
    EXPECT_EQ(r.Name(), u"");
    EXPECT_EQ(r.Name(), u"バージョン情報");
    EXPECT_EQ(r.Get<WORD>(), 10);
    EXPECT_EQ(r.Name(), u"ＭＳ Ｐゴシック");
    std::vector<std::u16string> texts;
    for (const TemplateControl& c : ABOUT) {
        r.Align();
        EXPECT_EQ(r.Get<DWORD>(), WS_CHILD | WS_VISIBLE | c.nStyle);
        EXPECT_EQ(r.Get<DWORD>(), 0u);
        EXPECT_EQ(r.Get<short>(), c.rect.left);
        EXPECT_EQ(r.Get<short>(), c.rect.top);
        EXPECT_EQ(r.Get<short>(), c.rect.right);
        EXPECT_EQ(r.Get<short>(), c.rect.bottom);
        EXPECT_EQ(static_cast<short>(r.Get<WORD>()), c.nId);
        EXPECT_TRUE(SameClass(r.Name(), c.pszClass)) << c.pszClass;
        texts.push_back(r.Name());
        const WORD nExtra = r.Get<WORD>();
        r.Skip(nExtra ? nExtra - 2 : 0);
    }
    EXPECT_EQ(texts[0], u"OK");
    EXPECT_EQ(texts[1], u"#" + Reader::Number(IDI_PANEL)) << "the icon by its id";
    EXPECT_EQ(texts[2].rfind(u"Sorvanta Version1.0\n", 0), 0u);
    EXPECT_GT(texts[2].size(), std::u16string(u"Sorvanta Version1.0\n").size()) << "a credit line";
    EXPECT_EQ(texts[3].rfind(u"https://", 0), 0u);
    EXPECT_EQ(texts[4].rfind(u"mailto:", 0), 0u);
}

TEST_F(Resources, TheIconIsOneImageOf32By32PixelsIn16Colours)
{
    const Bytes group = Load(MAKEINTRESOURCEA(IDI_PANEL), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group.p, nullptr);
    Reader r(group.p);
    EXPECT_EQ(r.Get<WORD>(), 0);
    EXPECT_EQ(r.Get<WORD>(), 1) << "an icon";
    ASSERT_EQ(r.Get<WORD>(), 1) << "one image";
    EXPECT_EQ(r.Get<BYTE>(), 32);
    EXPECT_EQ(r.Get<BYTE>(), 32);
    EXPECT_EQ(r.Get<BYTE>(), 16) << "colours";
    r.Get<BYTE>();
    r.Get<WORD>();
    EXPECT_EQ(r.Get<WORD>(), 4) << "bits per pixel";
    r.Get<DWORD>();
    const WORD nImage = r.Get<WORD>();
    const Bytes image = Load(MAKEINTRESOURCEA(nImage), MAKEINTRESOURCEA(3) /* RT_ICON */);
    ASSERT_GE(image.nSize, sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.p, sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64) << "the colour rows and the mask rows";
    EXPECT_EQ(header.biBitCount, 4);
}

// One block of a version resource: its key, its value and its children.
struct Block
{
    std::u16string key;
    const unsigned char* pValue = nullptr;
    WORD nValueLength = 0;
    std::vector<Block> children;
};

Block ReadBlock(const unsigned char* p)
{
    Block b;
    Reader r(p);
    const WORD nLength = r.Get<WORD>();
    b.nValueLength = r.Get<WORD>();
    const WORD nType = r.Get<WORD>();
    b.key = r.Name();
    r.Align();
    size_t nOffset = 6 + 2 * (b.key.size() + 1);
    nOffset = (nOffset + 3) & ~size_t(3);
    b.pValue = p + nOffset;
    nOffset += nType == 1 ? 2 * b.nValueLength : b.nValueLength;  // text values count characters
    nOffset = (nOffset + 3) & ~size_t(3);
    while (nOffset < nLength) {
        Block child = ReadBlock(p + nOffset);
        WORD nChildLength;
        std::memcpy(&nChildLength, p + nOffset, sizeof nChildLength);
        b.children.push_back(child);
        nOffset = (nOffset + nChildLength + 3) & ~size_t(3);
    }
    return b;
}

std::u16string TextValue(const Block& b)
{
    std::u16string s;
    for (WORD i = 0; i < b.nValueLength; ++i) {
        char16_t c;
        std::memcpy(&c, b.pValue + 2 * i, sizeof c);
        if (!c)
            break;
        s += c;
    }
    return s;
}

TEST_F(Resources, TheVersionResourceNamesTheProgramInJapaneseAndUtf16)
{
    const Bytes v = Load(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16) /* RT_VERSION */);
    ASSERT_NE(v.p, nullptr);
    const Block root = ReadBlock(v.p);
    EXPECT_EQ(root.key, u"VS_VERSION_INFO");
    ASSERT_EQ(root.nValueLength, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, root.pValue, sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
    EXPECT_EQ(fixed.dwFileFlags, 0u);
    EXPECT_EQ(fixed.dwFileOS, DWORD(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(fixed.dwFileSubtype, 0u);

    ASSERT_EQ(root.children.size(), 2u);
    const Block& strings = root.children[0];
    EXPECT_EQ(strings.key, u"StringFileInfo");
    ASSERT_EQ(strings.children.size(), 1u);
    const Block& table = strings.children[0];
    EXPECT_EQ(table.key, u"041104b0");
    const char16_t* expected[][2] = {
        {u"Comments", u""},
        {u"CompanyName", nullptr},
        {u"FileDescription", u"SORVANTA"},
        {u"FileVersion", u"1, 0, 0, 0"},
        {u"InternalName", u"SORVANTA"},
        {u"LegalCopyright", nullptr},
        {u"LegalTrademarks", u""},
        {u"OriginalFilename", u"sorvanta.exe"},
        {u"PrivateBuild", u""},
        {u"ProductName", u"Sorvanta"},
        {u"ProductVersion", u"1, 0, 0, 0"},
        {u"SpecialBuild", u""},
    };
    ASSERT_EQ(table.children.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(table.children[i].key, expected[i][0]);
        if (expected[i][1])
            EXPECT_EQ(TextValue(table.children[i]), expected[i][1]);
        else
            EXPECT_NE(TextValue(table.children[i]).find(u"Sorvanta"), std::u16string::npos)
                << "the project's own name";
    }

    const Block& vars = root.children[1];
    EXPECT_EQ(vars.key, u"VarFileInfo");
    ASSERT_EQ(vars.children.size(), 1u);
    EXPECT_EQ(vars.children[0].key, u"Translation");
    ASSERT_EQ(vars.children[0].nValueLength, 4);
    WORD translation[2];
    std::memcpy(translation, vars.children[0].pValue, sizeof translation);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 1200);
}

}  // namespace
