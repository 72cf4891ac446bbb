// The private profile rules the settings file relies on. The tests compare what a file holds
// after parsing it (see Parsed), and its bytes only where a rule is about them.
#include "platform/win32.h"
#include "tests/support/Difference.h"
#include "tests/support/PlatformTest.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using Section = std::vector<std::pair<std::string, std::string>>;

class Profile : public PlatformTest {
protected:
    // A file of the test's own in the current directory, named as the program names its own.
    std::string m_name;
    std::string m_path;

    void SetUp() override
    {
        PlatformTest::SetUp();
        m_name = std::string("sim-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        m_path = ".\\" + m_name;
        std::remove(m_name.c_str());
    }
    void TearDown() override
    {
        std::remove(m_name.c_str());
        PlatformTest::TearDown();
    }

    void WriteFile(const std::string& text)
    {
        std::ofstream(m_name, std::ios::binary) << text;
    }
    std::string FileBytes()
    {
        std::ifstream in(m_name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Sections in file order, each with its key lines in order; blank lines dropped, since Wine
    // does not keep them (AKeyIsReplacedInPlaceAndANewOneEndsItsSection).
    std::vector<std::pair<std::string, Section>> Parsed()
    {
        std::vector<std::pair<std::string, Section>> sections;
        std::istringstream in(FileBytes());
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.empty())
                continue;
            if (line.front() == '[')
                sections.push_back({line.substr(1, line.find(']') - 1), {}});
            else if (!sections.empty())
                sections.back().second.push_back(
                    {line.substr(0, line.find('=')), line.substr(line.find('=') + 1)});
        }
        return sections;
    }
    size_t BlankLines()
    {
        std::istringstream in(FileBytes());
        size_t n = 0;
        for (std::string line; std::getline(in, line);)
            n += line.empty() || line == "\r";
        return n;
    }
    std::string Read(const char* section, const char* key, const char* fallback = "", UINT nSize = 260)
    {
        std::vector<char> buffer(nSize + 1, '#');
        const INT n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), nSize,
                                               m_path.c_str());
        EXPECT_EQ(n, static_cast<INT>(std::string(buffer.data()).size()));
        return buffer.data();
    }
};

TEST_F(Profile, AWriteCreatesTheFileAndSectionWithCrlfLines)
{
    EXPECT_EQ(Read("default", "TIME", "none"), "none");
    ASSERT_TRUE(WritePrivateProfileStringA("default", "TIME", "120", m_path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("default", "ECHO", "64", m_path.c_str()));
    EXPECT_EQ(Parsed(), (std::vector<std::pair<std::string, Section>>{
                            {"default", {{"TIME", "120"}, {"ECHO", "64"}}}}));
    const std::string bytes = FileBytes();
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "a line that does not end in CRLF";
        }
    }
    EXPECT_EQ(Read("default", "TIME"), "120");
}

TEST_F(Profile, AKeyIsReplacedInPlaceAndANewOneEndsItsSection)
{
    WriteFile("[one]\r\nA=1\r\nB=2\r\n\r\n[two]\r\nC=3\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("one", "A", "9", m_path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("one", "D", "4", m_path.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("three", "E", "5", m_path.c_str()));
    EXPECT_EQ(Parsed(), (std::vector<std::pair<std::string, Section>>{
                            {"one", {{"A", "9"}, {"B", "2"}, {"D", "4"}}},
                            {"two", {{"C", "3"}}},
                            {"three", {{"E", "5"}}}}));
    EXPECT_TRUE(Difference(DifferenceKind::WineFault, "a blank line of a profile file",
                           "Windows rewrites only the lines of the entries it writes, and keeps "
                           "the others as they were (Wine's own tests find it keeping even bytes "
                           "before the first section), and so does the simulation; Wine writes "
                           "the file anew from what it parsed, without its blank lines",
                           BlankLines(), size_t(1), size_t(0)));
}

TEST_F(Profile, SectionsAndKeysMatchRegardlessOfCase)
{
    WriteFile("[Default]\r\ntiMe=200\r\n");
    EXPECT_EQ(Read("DEFAULT", "TIME"), "200");
    ASSERT_TRUE(WritePrivateProfileStringA("default", "Time", "300", m_path.c_str()));
    const auto parsed = Parsed();
    ASSERT_EQ(parsed.size(), 1u);
    ASSERT_EQ(parsed[0].second.size(), 1u) << "the key is replaced, not added";
    EXPECT_EQ(Read("default", "time"), "300");
}

TEST_F(Profile, AReadTrimsBlanksAndOnePairOfQuotes)
{
    WriteFile("[default]\r\n  A  =   spaced out   \r\nB=\"  quoted \"\r\nC='single'\r\nD=\"\"twice\"\"\r\nE=\r\n");
    EXPECT_EQ(Read("default", "A"), "spaced out");
    EXPECT_EQ(Read("default", "B"), "  quoted ");
    EXPECT_EQ(Read("default", "C"), "single");
    EXPECT_EQ(Read("default", "D"), "\"twice\"");
    EXPECT_EQ(Read("default", "E", "unused"), "");
    EXPECT_EQ(Read("default", "F", "fallback  "), "fallback");
    EXPECT_EQ(Read("other", "A"), "");
}

TEST_F(Profile, ALongValueIsCutToTheBuffer)
{
    WriteFile("[default]\r\nK=0123456789\r\n");
    EXPECT_EQ(Read("default", "K", "", 5), "0123");
}

TEST_F(Profile, DoubleByteTextSurvivesARoundTrip)
{
    // "標準のデバイス", and two characters whose trail byte is a backslash.
    const char* text = "\x95\x57\x8f\x80\x82\xcc\x83\x66\x83\x6f\x83\x43\x83\x58 \x83\x5c\x95\x5c";
    ASSERT_TRUE(WritePrivateProfileStringA("default", "INDEVICE", text, m_path.c_str()));
    EXPECT_EQ(Read("default", "INDEVICE"), text);
}

}  // namespace
