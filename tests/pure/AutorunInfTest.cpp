// autorun.inf as each Windows reads it on insertion: the section it reads,
// the keys it honours, what it runs or offers and with which command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discplan/codepage/CodePage.h"
#include "discplan/input/AutorunInf.h"
#include "discplan/input/IniFile.h"
#include "discplan/plan/Systems.h"

namespace {

AutorunTask TaskOf(const std::string& bytes, const std::string& os, int b64Bit)
{
    CIniFile ini;
    ini.Load(bytes, *CCodePage::Get(1252), ReadsUnicodeFiles(os));
    AutorunFile file;
    file.bPresent = true;
    ReadAutorunSections(ini, &file);
    return AutorunTaskOf(file, os, b64Bit);
}

std::string Utf16(const std::string& ascii)
{
    std::string bytes = "\xFF\xFE";
    for (char ch : ascii)
        bytes += std::string(1, ch) + '\0';
    return bytes;
}

} // namespace

TEST(AutorunInf, WhatEachSystemRunsOrOffers)
{
    const std::string open       = "[autorun]\r\nopen=Setup.exe /s\r\nicon=Setup.exe,0\r\n";
    const std::string both       = "[AutoRun]\r\nopen=Setup.exe /a\r\nshellexecute=Setup.exe /b\r\n";
    const std::string bothOther  = "[AutoRun]\r\nshellexecute=Setup.exe /b\r\nopen=Setup.exe /a\r\n";
    const std::string amd64      = "[AutoRun.Amd64]\r\nopen=x64\\Setup.exe /64\r\n[AutoRun]\r\nopen=Setup.exe /32\r\n";
    const struct
    {
        std::string bytes;
        const char* szOs;
        int         b64Bit;
        const char* szKey;       // empty: nothing runs
        const char* szProgram;   // or, with nothing, a part of why
        const char* szArguments;
        const char* szShown;
        const char* szText;
    } cases[] = {
        {open, "win95", 0, "open", "Setup.exe", "/s", "started", ""},
        {open, "winxp", 0, "open", "Setup.exe", "/s", "started", ""},
        {open, "vista", 0, "open", "Setup.exe", "/s", "autoplay", "Run Setup.exe"},
        {open + "action=Install Tilmar\r\n", "win10", 0, "open", "Setup.exe", "/s", "autoplay", "Install Tilmar"},
        {open + "action=Install Tilmar\r\n", "winxp", 0, "open", "Setup.exe", "/s", "started", ""},
        // Keys and sections in any letter case, blanks around them dropped;
        // the blanks before the arguments are the launcher's to skip.
        {"[AUTORUN]\r\n OPEN =  setup.exe \t -x y \r\n", "win98", 0, "open", "setup.exe", "-x y", "started", ""},
        // A quoted path ends at its quote, whatever follows it.
        {"[AutoRun]\r\nopen=\"Disk 1\\Setup.exe\"/s\r\n", "nt4", 0, "open", "Disk 1\\Setup.exe", "/s", "started", ""},
        // shellexecute: shell 5.0, Windows 2000 and Me on.
        {"[AutoRun]\r\nshellexecute=readme.html\r\n", "win98se", 0, "", "ignores shellexecute", "", "", ""},
        {"[AutoRun]\r\nshellexecute=readme.html\r\n", "winme", 0, "shellexecute", "readme.html", "", "started", ""},
        {"[AutoRun]\r\nshellexecute=readme.html\r\n", "win7", 0, "shellexecute", "readme.html", "", "autoplay",
         "Load readme.html"},
        // Both: the later one where shellexecute counts, else open.
        {both, "win2000", 0, "shellexecute", "Setup.exe", "/b", "started", ""},
        {both, "nt4", 0, "open", "Setup.exe", "/a", "started", ""},
        {bothOther, "winxp", 0, "open", "Setup.exe", "/a", "started", ""},
        // UseAutoPlay=1 from XP on; 0 turns AutoPlay off from Windows 8 on.
        {open + "UseAutoPlay=1\r\n", "win2000", 0, "open", "Setup.exe", "/s", "started", ""},
        {open + "UseAutoPlay=1\r\n", "winxp", 0, "", "UseAutoPlay=1", "", "", ""},
        {open + "UseAutoPlay=1\r\n", "vista", 0, "", "UseAutoPlay=1", "", "", ""},
        {open + "UseAutoPlay=0\r\n", "win7", 0, "open", "Setup.exe", "/s", "autoplay", "Run Setup.exe"},
        {open + "UseAutoPlay=0\r\n", "win81", 0, "", "UseAutoPlay=0", "", "", ""},
        // The 64-bit shells read [AutoRun.Amd64] whenever it has keys, and
        // then nothing of [AutoRun].
        {amd64, "winxp", 0, "open", "Setup.exe", "/32", "started", ""},
        {amd64, "winxp64", 1, "open", "x64\\Setup.exe", "/64", "started", ""},
        {amd64, "win10", 0, "open", "Setup.exe", "/32", "autoplay", "Run Setup.exe"},
        {amd64, "win10", 1, "open", "x64\\Setup.exe", "/64", "autoplay", "Run Setup.exe"},
        {"[AutoRun.Amd64]\r\nicon=x.ico\r\n[AutoRun]\r\nopen=Setup.exe\r\n", "win11", 1, "", "names nothing", "", "",
         ""},
        {"[AutoRun.Amd64]\r\n; no key\r\n[AutoRun]\r\nopen=Setup.exe\r\n", "win11", 1, "open", "Setup.exe", "",
         "autoplay", "Run Setup.exe"},
        // Only the first section of the name is read.
        {"[AutoRun]\r\nicon=a.ico\r\n[Other]\r\n[AutoRun]\r\nopen=Setup.exe\r\n", "winxp", 0, "", "names nothing", "",
         "", ""},
        {"[Setup]\r\nopen=Setup.exe\r\n", "winxp", 0, "", "no [AutoRun]", "", "", ""},
        {"[AutoRun]\r\nopen=\r\n", "winxp", 0, "", "names nothing", "", "", ""},
        // UTF-16 after its byte order mark: read on NT, bytes to Windows 98.
        {Utf16("[AutoRun]\r\nopen=Setup.exe /s\r\n"), "winxp", 0, "open", "Setup.exe", "/s", "started", ""},
        {Utf16("[AutoRun]\r\nopen=Setup.exe /s\r\n"), "win98", 0, "", "no [AutoRun]", "", "", ""},
    };
    for (const auto& c : cases)
    {
        const AutorunTask task = TaskOf(c.bytes, c.szOs, c.b64Bit);
        SCOPED_TRACE(std::string(c.szOs) + (c.b64Bit ? " 64-bit: " : ": ") + c.bytes);
        EXPECT_EQ(c.szKey, task.key);
        if (task.key.empty())
        {
            EXPECT_NE(std::string::npos, task.none.find(c.szProgram)) << task.none;
            continue;
        }
        EXPECT_EQ(c.szProgram, task.program);
        EXPECT_EQ(c.szArguments, task.arguments);
        EXPECT_EQ(c.szShown, task.shown);
        EXPECT_EQ(c.szText, task.text);
    }
}

TEST(AutorunInf, LabelAndIconWhereShown)
{
    const std::string bytes = "[AutoRun]\r\nopen=Setup.exe\r\nlabel=Tilmar 2\r\nicon=Setup.exe,1\r\n";
    EXPECT_EQ("", TaskOf(bytes, "win2000", 0).label);
    EXPECT_EQ("Tilmar 2", TaskOf(bytes, "winxp", 0).label);
    EXPECT_EQ("Setup.exe,1", TaskOf(bytes, "win95", 0).icon);
    const AutorunTask shell = TaskOf(bytes + "shell=install\r\nshell\\install\\command=Disk1\\setup.exe\r\n", "win98", 0);
    EXPECT_EQ("Disk1\\setup.exe", shell.doubleClick);
}

TEST(AutorunInf, PathsOnTheDisc)
{
    const struct
    {
        const char*              szPath;
        std::vector<std::string> parts; // empty: not a path on the disc
    } cases[] = {
        {"Setup.exe", {"Setup.exe"}},
        {".\\Setup.exe", {"Setup.exe"}},
        {"\\Disk1\\setup.exe", {"Disk1", "setup.exe"}},
        {"autorun/menu.exe", {"autorun", "menu.exe"}},
        {"Setup.exe. ", {"Setup.exe"}},
        {"D:\\Setup.exe", {}},
        {"\\\\server\\share\\Setup.exe", {}},
        {"Disk1\\..\\Setup.exe", {}},
        {"", {}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> parts;
        EXPECT_EQ(!c.parts.empty(), AutorunDiscPath(c.szPath, &parts) != 0) << c.szPath;
        EXPECT_EQ(c.parts, parts) << c.szPath;
    }
}
