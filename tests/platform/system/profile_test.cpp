#include "platform/system/profile.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace qm::sys {
namespace {

class ProfileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string file = dir.file("settings.ini");

    std::string read(const char* section, const char* key, const char* fallback = "<none>")
    {
        char buffer[64];
        GetPrivateProfileString(section, key, fallback, buffer, sizeof buffer, file.c_str());
        return buffer;
    }
};

TEST_F(ProfileTest, IntegersParseLeadingDigitsAndSignsAndFallBackOnAnythingElse)
{
    test::writeTextFile(file,
                        "[Main]\n"
                        "plain=115200\n"
                        "trailing=38400 baud\n"
                        "negative=-12\n"
                        "positive= +7\n"
                        "words=fast\n"
                        "empty=\n");
    EXPECT_EQ(GetPrivateProfileInt("Main", "plain", 1, file.c_str()), 115200);
    EXPECT_EQ(GetPrivateProfileInt("Main", "trailing", 1, file.c_str()), 38400);
    EXPECT_EQ(GetPrivateProfileInt("Main", "negative", 1, file.c_str()), -12);
    EXPECT_EQ(GetPrivateProfileInt("Main", "positive", 1, file.c_str()), 7);
    EXPECT_EQ(GetPrivateProfileInt("Main", "words", 65535, file.c_str()), 65535);
    EXPECT_EQ(GetPrivateProfileInt("Main", "empty", 65535, file.c_str()), 65535);
    EXPECT_EQ(GetPrivateProfileInt("Main", "missing", 30000, file.c_str()), 30000);
    EXPECT_EQ(GetPrivateProfileInt("Other", "plain", 3, file.c_str()), 3);
    EXPECT_EQ(GetPrivateProfileInt("Main", "plain", 9, dir.file("absent.ini").c_str()), 9);
}

TEST_F(ProfileTest, SectionsAndKeysMatchWithoutRegardToCase)
{
    test::writeTextFile(file, "[Baud Rate Speeding]\r\nBaud Rate Mode=57600\r\n");
    EXPECT_EQ(GetPrivateProfileInt("BAUD RATE SPEEDING", "baud rate mode", 0, file.c_str()), 57600);
    ASSERT_TRUE(WritePrivateProfileString("baud rate speeding", "BAUD RATE MODE", "9600", file.c_str()));
    EXPECT_EQ(test::readTextFile(file), "[Baud Rate Speeding]\nBaud Rate Mode=9600\n");
}

TEST_F(ProfileTest, StringsAreTrimmedUnquotedAndTruncatedToTheBuffer)
{
    test::writeTextFile(file, "[S]\nname =  \"COM2:\"  \nlong=abcdefghij\n");
    EXPECT_EQ(read("S", "name"), "COM2:");
    EXPECT_EQ(read("S", "absent", "  default  "), "  default");
    char small[5];
    EXPECT_EQ(GetPrivateProfileString("S", "long", "", small, sizeof small, file.c_str()), 4u);
    EXPECT_STREQ(small, "abcd");
}

TEST_F(ProfileTest, WritesCreateTheFileAndSectionAndKeepEverythingElse)
{
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "Camera Type", "0", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("COMMUNICATION Port", "Port Name", "COM1:", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("MAIN", "Other", "x", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileString("COMMUNICATION Port", "Baud Rate", "", file.c_str()));
    EXPECT_EQ(test::readTextFile(file),
              "[MAIN]\nCamera Type=0\nOther=x\n\n[COMMUNICATION Port]\nPort Name=COM1:\nBaud Rate=\n");
    EXPECT_EQ(read("COMMUNICATION Port", "Baud Rate"), "");
    EXPECT_EQ(GetPrivateProfileInt("COMMUNICATION Port", "Baud Rate", 0, file.c_str()), 0);
}

TEST_F(ProfileTest, NullValueRemovesAKeyAndNullKeyRemovesASection)
{
    test::writeTextFile(file, "[A]\nk=1\nj=2\n[B]\nk=3\n");
    ASSERT_TRUE(WritePrivateProfileString("A", "k", nullptr, file.c_str()));
    EXPECT_EQ(read("A", "k"), "<none>");
    EXPECT_EQ(read("A", "j"), "2");
    ASSERT_TRUE(WritePrivateProfileString("B", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(test::readTextFile(file), "[A]\nj=2\n");
}

TEST_F(ProfileTest, AWriteIntoAMissingDirectoryFailsAndReadsStillAnswerDefaults)
{
    const std::string nowhere = dir.file("no/such/dir/KVB.ini");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", nowhere.c_str()));
    EXPECT_EQ(GetPrivateProfileInt("S", "k", 5, nowhere.c_str()), 5);
}

}  // namespace
}  // namespace qm::sys
