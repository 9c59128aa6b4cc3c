// What discplan's findings point at: the part of a template the launcher
// refuses, and folder names a letter or two off the names it looks for.
#include <gtest/gtest.h>

#include <string>

#include "discplan/findings/MistakeHints.h"
#include "launcher/ParamTemplate.h"

namespace {

bool LauncherRefuses(const char* szTemplate)
{
    char szDest[260];
    return FormatParamTemplate(szDest, sizeof(szDest), szTemplate, "D:\\Dusmara", "deu") == PARAMS_REFUSED;
}

} // namespace

TEST(MistakeHints, NamesThePartOfATemplateTheLauncherRefuses)
{
    // Refused exactly where the launcher refuses; "" where it takes the template.
    const struct
    {
        const char* szTemplate;
        const char* szPart;
    } cases[] = {
        {"/s /f1\"%s\"", ""}, {"%s %s 100%%", ""}, {"%%d", ""}, {"", ""},
        {"/f1\"%s\" %d", "%d"}, {"%n", "%n"}, {"%5s", "%5s"}, {"%-s", "%-s"}, {"%ls", "%ls"},
        {"%.300s", "%.300s"}, {"%1$s", "%1$s"}, {"%S", "%S"}, {"100% sure", "% s"},
        {"%s %s %s", "%s"}, {"%s%s%%%s", "%s"}, {"/s %", "%"}, {"/s %%%", "%"},
        {"%d then %x", "%d"}, {"%s %s %s %d", "%s"},
        // A character that is not ASCII after the sign, whole.
        {"/l %\xC3\xA9", "%\xC3\xA9"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(c.szPart, RefusedConversion(c.szTemplate)) << c.szTemplate;
        EXPECT_EQ(c.szPart[0] != '\0', LauncherRefuses(c.szTemplate)) << c.szTemplate;
    }
}

TEST(MistakeHints, NamesALetterOrTwoOffOrCutAreNear)
{
    const struct
    {
        const char32_t* szName;
        const char32_t* szKnown;
        int             bNear;
    } cases[] = {
        // A letter or two left out, added, changed or swapped.
        {U"techsup", U"techsupt", 1}, {U"techsupt2", U"techsupt", 1}, {U"tehcsupt", U"techsupt", 1},
        {U"teksupt", U"techsupt", 1}, {U"appinst", U"appinst", 0}, {U"apinst", U"appinst", 1},
        {U"ikernelupdat", U"ikernelupdate", 1}, {U"ikernalupdate", U"ikernelupdate", 1},
        // Cut short or lengthened, the shorter at least five letters.
        {U"ikernelupd", U"ikernelupdate", 1}, {U"ikernel", U"ikernelupdate", 1}, {U"appinstall", U"appinst", 1},
        {U"appin", U"appinst", 1}, {U"techsuptfiles", U"techsupt", 1}, {U"tech", U"techsupt", 0},
        // Other folders a disc carries are not near.
        {U"install", U"appinst", 0}, {U"support", U"techsupt", 0}, {U"techsupport", U"techsupt", 0},
        {U"apps", U"appinst", 0}, {U"appdata", U"appinst", 0}, {U"autorun", U"appinst", 0},
        {U"drivers", U"techsupt", 0}, {U"dusmara", U"appinst", 0}, {U"kernel", U"ikernelupdate", 0},
        {U"update", U"ikernelupdate", 0}, {U"setup", U"techsupt", 0},
    };
    for (const auto& c : cases)
    {
        const std::u32string name = c.szName;
        EXPECT_EQ(c.bNear, IsNearName(name, c.szKnown)) << std::string(name.begin(), name.end());
    }
}
