// How the process search compares module names and takes a base name apart
// from a path in a double-byte code page.
#include <gtest/gtest.h>

#include <string>

#include "process/ModuleName.h"

namespace {

// Shift-JIS (code page 932): lead bytes 0x81-0x9F and 0xE0-0xFC.
int IsShiftJisLeadByte(unsigned char chByte) { return (chByte >= 0x81 && chByte <= 0x9F) || (chByte >= 0xE0 && chByte <= 0xFC); }

int IsNeverLeadByte(unsigned char) { return 0; }

std::string After(const char* szPath, PFN_IS_LEAD_BYTE pfnIsLeadByte = IsShiftJisLeadByte)
{
    const char* szAfter = FindAfterLastBackslash(szPath, pfnIsLeadByte);
    return szAfter != nullptr ? szAfter : "(none)";
}

} // namespace

TEST(ModuleName, OnlyAsciiLettersFoldTheirCase)
{
    EXPECT_TRUE(IsSameModuleName("ikernel.exe", "IKernel.exe"));
    EXPECT_TRUE(IsSameModuleName("KNLWRAP.EXE", "knlwrap.exe"));
    EXPECT_FALSE(IsSameModuleName("ikernel.exe", "ikernel.ex"));
    EXPECT_FALSE(IsSameModuleName("ikernel.ex", "ikernel.exe"));
    // Letters outside ASCII (here Windows-1252 capital and small A umlaut)
    // compare as they are, on every system.
    EXPECT_FALSE(IsSameModuleName("\xC4.exe", "\xE4.exe"));
    EXPECT_TRUE(IsSameModuleName("\xC4.exe", "\xC4.exe"));
    // '@' and '[' border the capitals: they do not fold onto '`' or '{'.
    EXPECT_FALSE(IsSameModuleName("@[", "`{"));
    // A failed name query leaves an empty name, which only an empty wanted
    // name matches.
    EXPECT_FALSE(IsSameModuleName("IKernel.exe", ""));
    EXPECT_TRUE(IsSameModuleName("", ""));
}

TEST(ModuleName, BaseNameFollowsTheLastRealBackslash)
{
    EXPECT_EQ("IKernel.exe", After("C:\\Program Files\\Common Files\\IKernel.exe"));
    EXPECT_EQ("", After("C:\\folder\\"));
    EXPECT_EQ("(none)", After("IKernel.exe"));
    EXPECT_EQ("(none)", After(""));
    // 0x95 0x5C is one Shift-JIS character (a 0x5C trail byte), no separator.
    EXPECT_EQ("setup.exe", After("C:\\\x95\x5C\\setup.exe"));
    EXPECT_EQ("\x95\x5C.exe", After("C:\\dir\\\x95\x5C.exe"));
    EXPECT_EQ("(none)", After("\x95\x5C.exe"));
    // The same bytes in a single-byte code page: 0x5C is a separator.
    EXPECT_EQ(".exe", After("\x95\x5C.exe", IsNeverLeadByte));
    // A lead byte at the very end stands alone; nothing is read past it.
    EXPECT_EQ("a\x95", After("C:\\a\x95"));
}
