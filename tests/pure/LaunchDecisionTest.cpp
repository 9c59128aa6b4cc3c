// The launch decision, the command line WinMain receives, switch search and
// silent-parameter template.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "launcher/LaunchChoice.h"
#include "launcher/ParamTemplate.h"
#include "launcher/Switches.h"
#include "runtime/CommandLine.h"

namespace {

int NoLeadBytes(unsigned char) { return 0; }
// Shift-JIS lead bytes.
int ShiftJisLead(unsigned char ch) { return (ch >= 0x81 && ch <= 0x9F) || (ch >= 0xE0 && ch <= 0xFC); }

std::string Params(const char* szTemplate, ParamTemplateResult expected = PARAMS_OK, size_t cbDest = 260)
{
    char szDest[300];
    memset(szDest, '#', sizeof(szDest));
    EXPECT_EQ(expected, FormatParamTemplate(szDest, cbDest, szTemplate, "D:\\\\Dusmara", "deu")) << szTemplate;
    EXPECT_EQ('#', szDest[cbDest]) << "written past the buffer";
    return szDest;
}

} // namespace

TEST(LaunchChoice, Modes)
{
    EXPECT_EQ(MODE_COMMAND_LINE, ChooseLaunchMode(1, 1));
    EXPECT_EQ(MODE_COMMAND_LINE, ChooseLaunchMode(1, 0));
    EXPECT_EQ(MODE_SETTINGS, ChooseLaunchMode(0, 1));
    EXPECT_EQ(MODE_FALLBACK, ChooseLaunchMode(0, 0));
}

TEST(LaunchChoice, CommandLineKeywordsInOrder)
{
    const char* szProduct = ".\\Dusmara\\setup.exe";
    EXPECT_EQ(CMDLINE_SILENT, ChooseCommandLineAction(1, 1, 1, 1, szProduct));
    EXPECT_EQ(CMDLINE_SILENT, ChooseCommandLineAction(1, 0, 0, 0, "setup.exe")) << "silent starts even itself";
    EXPECT_EQ(CMDLINE_WEBRELEASE, ChooseCommandLineAction(0, 1, 1, 0, "setup.exe"));
    EXPECT_EQ(CMDLINE_SETUP_PROGRAM, ChooseCommandLineAction(0, 0, 1, 0, szProduct));
    EXPECT_EQ(CMDLINE_SETUP_PROGRAM, ChooseCommandLineAction(0, 0, 0, 1, szProduct));
    EXPECT_EQ(CMDLINE_NOTHING, ChooseCommandLineAction(0, 0, 1, 0, "SETUP.exe"));
    EXPECT_EQ(CMDLINE_NOTHING, ChooseCommandLineAction(0, 0, 0, 1, "setup.exe"));
    EXPECT_EQ(CMDLINE_NOTHING, ChooseCommandLineAction(0, 0, 0, 0, szProduct));
}

TEST(LaunchChoice, SettingsThenFallbackChain)
{
    EXPECT_EQ(SETTINGS_DEMO, ChooseSettingsAction(1, 1));
    EXPECT_EQ(SETTINGS_SETUP, ChooseSettingsAction(0, 1));
    EXPECT_EQ(SETTINGS_FALLBACK, ChooseSettingsAction(0, 0));

    EXPECT_EQ(FALLBACK_DEMO, ChooseFallback(1, 1, 1, 1));
    EXPECT_EQ(FALLBACK_APPINST, ChooseFallback(0, 1, 1, 1));
    EXPECT_EQ(FALLBACK_INSTALL, ChooseFallback(0, 0, 1, 1)) << "the product is never reached past Install";
    EXPECT_EQ(FALLBACK_LAST_RESORT, ChooseFallback(0, 0, 0, 1));
    EXPECT_EQ(FALLBACK_NOTHING, ChooseFallback(0, 0, 0, 0));
}

TEST(SkipProgramName, LeavesWhatTheRuntimeHandedToWinMain)
{
    const struct
    {
        const char* szLine;
        const char* szExpected;
    } cases[] = {
        {"", ""},
        {"Setup.exe", ""},
        {"\"D:\\My Disc\\Setup.exe\"", ""},
        {"Setup.exe /s", "/s"},
        {"Setup.exe \t  /s  x ", "/s  x "},
        {"   /s", "/s"},
        // A quoted name ends at its closing quote, a switch glued to it or not.
        {"\"D:\\My Disc\\Setup.exe\" /lang=deu", "/lang=deu"},
        {"\"D:\\My Disc\\Setup.exe\"/s", "/s"},
        {"\"D:\\My Disc\\Setup.exe\"\t/s", "/s"},
        {"\"D:\\Setup.exe\"x\" /s", "x\" /s"},
        {"\"\" /s", "/s"},
        {"\"D:\\unterminated /s", ""},
        // An unquoted name runs to the first blank: a glued switch is part
        // of it, and quotes inside it do not keep its blanks.
        {"D:\\Disc\\Setup.exe/s", ""},
        {"D:\\My\" \"Disc\\Setup.exe webrelease", "\"Disc\\Setup.exe webrelease"},
        {"D:\\\"My Disc\"\\Setup.exe /s", "Disc\"\\Setup.exe /s"},
        // Bytes from 0x80 up are part of the name, not blanks: the rest of
        // the path is never searched for keywords.
        {"D:\\\xdc" "bung\\webrelease\\Setup.exe /s", "/s"},
        {"\"D:\\\xdc" "bung\\Setup.exe\" /s", "/s"},
        {"Setup.exe \xa0/s", "\xa0/s"},
    };
    for (const auto& c : cases)
        EXPECT_STREQ(c.szExpected, SkipProgramName(c.szLine)) << c.szLine;
}

TEST(FindSwitch, LowerCasedSubstringAtCharacterBoundaries)
{
    EXPECT_TRUE(FindSwitch("/S", "/s", NoLeadBytes));
    EXPECT_TRUE(FindSwitch("/setup", "/s", NoLeadBytes)) << "a substring, not an argument";
    EXPECT_TRUE(FindSwitch("x /WebRelease", "webrelease", NoLeadBytes));
    EXPECT_TRUE(FindSwitch("/lang=deu", "/", NoLeadBytes));
    EXPECT_FALSE(FindSwitch("/lang=deu", "dm5", NoLeadBytes));
    EXPECT_FALSE(FindSwitch("", "/", NoLeadBytes));
    EXPECT_TRUE(FindSwitch("abc", "", NoLeadBytes));
    EXPECT_TRUE(FindSwitch("", "", NoLeadBytes));

    // Only the first 259 characters are searched.
    std::string line(258, 'x');
    EXPECT_TRUE(FindSwitch((line + "/").c_str(), "/", NoLeadBytes));
    EXPECT_FALSE(FindSwitch((line + "x/").c_str(), "/", NoLeadBytes));

    // In Shift-JIS, 0x83 0x73 is one character whose trail byte is 's':
    // neither the trail byte nor a match starting on it counts.
    EXPECT_FALSE(FindSwitch("\x83" "S", "s", ShiftJisLead));
    EXPECT_TRUE(FindSwitch("\x83\x73/S", "/s", ShiftJisLead));
    EXPECT_FALSE(FindSwitch("\x83/S", "/s", ShiftJisLead)) << "'/' here is a trail byte";
}

TEST(ParamTemplate, HonoursTwoStringsAndPercentSigns)
{
    EXPECT_EQ("/s /f1\"D:\\\\Dusmara\"", Params(DEFAULT_PARAM_TEMPLATE));
    EXPECT_EQ("-silent", Params("-silent"));
    EXPECT_EQ("", Params(""));
    EXPECT_EQ("/f1\"D:\\\\Dusmara\\setup.iss\" /l deu 100%", Params("/f1\"%s\\setup.iss\" /l %s 100%%"));
    EXPECT_EQ("%s%%", Params("%%s%%%%")) << "escaped signs are text, never conversions";
}

TEST(ParamTemplate, RefusesEveryOtherConversion)
{
    const char* rgszRefused[] = {"%n", "%x", "%d", "%p", "%S", "%5s", "%-s", "%ls", "%s %s %s",
                                 "/s %", "/s %%%", "%c", "%.300s", "%1$s"};
    for (const char* szTemplate : rgszRefused)
        EXPECT_EQ("", Params(szTemplate, PARAMS_REFUSED));
}

TEST(ParamTemplate, NeverWritesPastItsBuffer)
{
    std::string huge(300, 'a');
    EXPECT_EQ(std::string(259, 'a'), Params(huge.c_str(), PARAMS_TOO_LONG));
    EXPECT_EQ("/f1\"D:\\\\Du", Params("/f1\"%s\"", PARAMS_TOO_LONG, 11));
    EXPECT_EQ("/f1\"D:\\\\Dusmara\"", Params("/f1\"%s\"", PARAMS_OK, 17)) << "exactly fits";
    EXPECT_EQ("/f1\"D:\\\\Dusmara", Params("/f1\"%s\"", PARAMS_TOO_LONG, 16));
}
