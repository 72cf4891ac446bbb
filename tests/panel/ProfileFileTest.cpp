// The settings file as the panel uses it, on the simulated profile functions.
#include "panel/ProfileFile.h"
#include "tests/support/PlatformTest.h"
#include "tests/support/TempDirectory.h"

#include <filesystem>
#include <string>

namespace {

class ProfileFile : public PlatformTest {
protected:
    CTempDirectory m_dir;
};

TEST_F(ProfileFile, ReadsEmptyTextsWithoutAFileAndWritesTheSectionDefault)
{
    CProfileFile file(".\\sorvanta.ini");
    for (const char* key : {"INDEVICE", "OUTDEVICE", "RATE", "STEREO", "TIME", "ECHO", "DELAY"})
        EXPECT_STREQ(file.Read(key), "") << key;
    EXPECT_FALSE(std::filesystem::exists("sorvanta.ini")) << "reading creates nothing";

    file.WriteInt("TIME", 120);
    file.WriteInt("RATE", -1);
    file.WriteString("INDEVICE", "\x95\x57\x8f\x80\x82\xcc\x83\x66\x83\x6f\x83\x43\x83\x58");
    EXPECT_EQ(m_dir.Read("sorvanta.ini"),
              "[default]\r\nTIME=120\r\nRATE=-1\r\n"
              "INDEVICE=\x95\x57\x8f\x80\x82\xcc\x83\x66\x83\x6f\x83\x43\x83\x58\r\n");

    CProfileFile again(".\\sorvanta.ini");
    EXPECT_STREQ(again.Read("TIME"), "120");
    EXPECT_STREQ(again.Read("RATE"), "-1");
}

TEST_F(ProfileFile, IsFoundOnlyInTheDirectoryItWasWrittenIn)
{
    CProfileFile(".\\sorvanta.ini").WriteInt("ECHO", 64);
    std::filesystem::create_directory("elsewhere");
    std::filesystem::current_path("elsewhere");
    EXPECT_STREQ(CProfileFile(".\\sorvanta.ini").Read("ECHO"), "");
    std::filesystem::current_path("..");
    EXPECT_STREQ(CProfileFile(".\\sorvanta.ini").Read("ECHO"), "64");
}

TEST_F(ProfileFile, CutsANameTooLongForItsField)
{
    const std::string longName = ".\\" + std::string(400, 'n') + ".ini";
    CProfileFile file(longName.c_str());
    EXPECT_STREQ(file.Read("TIME"), "");  // no overrun, no file
}

}  // namespace
