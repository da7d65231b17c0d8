#include "platform/kernel/rtl.h"

#include <gtest/gtest.h>

#include "platform/kernel/strsafe.h"

namespace qm::kernel {
namespace {

TEST(Strings, FormatsTheWayTheDriverNamesDevicesAndRegisters)
{
    WCHAR buffer[32];
    ASSERT_EQ(RtlStringCchPrintfW(buffer, 32, u"VID_%04X&PID_%04X", 0x784u, 0x2888u), STATUS_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u"VID_0784&PID_2888");
    ASSERT_EQ(RtlStringCchPrintfW(buffer, 32, u"%4X", 0x41Bu), STATUS_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u" 41B");
    ASSERT_EQ(RtlStringCchPrintfW(buffer, 32, u"[%-5d|%5s|%S|%c%%]", -42, u"ab", "cd", 'e'), STATUS_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u"[-42  |   ab|cd|e%]");
    ASSERT_EQ(RtlStringCchPrintfW(buffer, 32, u"%I64u %llx", 12345678901ULL, 0xABCDEF012ULL), STATUS_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u"12345678901 abcdef012");
    UNICODE_STRING name;
    RtlInitUnicodeString(&name, u"MORVAX");
    ASSERT_EQ(RtlStringCchPrintfW(buffer, 32, u"\\%wZ\\%.3s", &name, u"Default"), STATUS_SUCCESS);
    EXPECT_EQ(std::u16string(buffer), u"\\MORVAX\\Def");
}

TEST(Strings, OutputThatDoesNotFitIsCutAndTerminated)
{
    WCHAR buffer[8];
    EXPECT_EQ(RtlStringCchPrintfW(buffer, 8, u"VID_%04X", 0x784u), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(std::u16string(buffer), u"VID_078");
    EXPECT_EQ(RtlStringCbPrintfW(buffer, 4 * sizeof(WCHAR), u"%d", 123456), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(std::u16string(buffer), u"123");
    EXPECT_EQ(RtlStringCchCopyW(buffer, 8, u"Default"), STATUS_SUCCESS);
    EXPECT_EQ(RtlStringCchCatW(buffer, 8, u"X"), STATUS_BUFFER_OVERFLOW);
    EXPECT_EQ(std::u16string(buffer), u"Default");
    EXPECT_EQ(RtlStringCchPrintfW(buffer, 0, u"x"), STATUS_INVALID_PARAMETER);
}

TEST(Strings, CountedStringsAppendCompareAndConvert)
{
    WCHAR storage[40];
    UNICODE_STRING path{0, sizeof storage, storage};
    EXPECT_EQ(RtlAppendUnicodeToString(&path, u"\\Registry\\MACHINE\\SOFTWARE"), STATUS_SUCCESS);
    UNICODE_STRING tail;
    RtlInitUnicodeString(&tail, u"\\Quillon\\MORVAX");
    EXPECT_EQ(RtlAppendUnicodeStringToString(&path, &tail), STATUS_BUFFER_TOO_SMALL);
    EXPECT_EQ(view(&path), u"\\Registry\\MACHINE\\SOFTWARE");

    UNICODE_STRING upper, lower;
    RtlInitUnicodeString(&upper, u"ActiveMorvax");
    RtlInitUnicodeString(&lower, u"activemorvax");
    EXPECT_TRUE(RtlEqualUnicodeString(&upper, &lower, TRUE));
    EXPECT_FALSE(RtlEqualUnicodeString(&upper, &lower, FALSE));

    WCHAR number[12];
    UNICODE_STRING text{0, sizeof number, number};
    ASSERT_EQ(RtlIntegerToUnicodeString(0x100E, 16, &text), STATUS_SUCCESS);
    EXPECT_EQ(view(&text), u"100E");
    ULONG value = 0;
    ASSERT_EQ(RtlUnicodeStringToInteger(&text, 16, &value), STATUS_SUCCESS);
    EXPECT_EQ(value, 0x100Eu);
    UNICODE_STRING tiny{0, 2, number};
    EXPECT_EQ(RtlIntegerToUnicodeString(123, 10, &tiny), STATUS_BUFFER_OVERFLOW);

    EXPECT_EQ(toUtf8(toUtf16("Grüße \xF0\x9F\x93\xB7")), "Grüße \xF0\x9F\x93\xB7");
}

}  // namespace
}  // namespace qm::kernel
