// LaunchSettings against real INI files.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "TestSupport.h"
#include "services/Settings.h"

namespace {

struct Value
{
    BOOL        bRead;
    DWORD       cchCapacity;
    std::string buffer; // all 400 bytes of the caller's buffer
    std::string Text() const { return buffer.substr(0, buffer.find('\0')); }
};

Value GetValue(LaunchSettings& settings, const char* szSection, const char* szKey, DWORD cchCapacity = MAX_PATH)
{
    char buffer[400];
    memset(buffer, '#', sizeof(buffer));
    Value value;
    value.cchCapacity = cchCapacity;
    value.bRead       = settings.GetValue(szSection, szKey, buffer, &value.cchCapacity);
    value.buffer.assign(buffer, sizeof(buffer));
    return value;
}

std::string IniFile(const char* szName, const std::string& text)
{
    const std::string path = FreshFolder(szName) + "\\Setup.ini";
    WriteFileText(path, text);
    return path;
}

} // namespace

TEST(LaunchSettings, ValuesUpToTheCapacityLessOneFit)
{
    const std::string path = IniFile("settings_fit",
                                     "[Settings]\r\nSetupPath=.\\Dusmara\\setup.exe\r\nDemoPath=" + std::string(259, 'd') +
                                         "\r\n[Silent]\r\nCmdlineParam=" + std::string(260, 'p') +
                                         "\r\nLong=" + std::string(300, 'l') + "\r\n");
    LaunchSettings settings(path.c_str());

    const Value shortValue = GetValue(settings, "Settings", "SetupPath");
    EXPECT_TRUE(shortValue.bRead);
    EXPECT_EQ(".\\Dusmara\\setup.exe", shortValue.Text());
    EXPECT_EQ(std::string(260 - 19, '\0'), shortValue.buffer.substr(19, 260 - 19)) << "zero bytes up to the capacity";

    const Value longest = GetValue(settings, "Settings", "DemoPath");
    EXPECT_TRUE(longest.bRead);
    EXPECT_EQ(std::string(259, 'd'), longest.Text());
    EXPECT_EQ(260u, longest.cchCapacity);

    const Value over = GetValue(settings, "Silent", "CmdlineParam");
    EXPECT_FALSE(over.bRead);
    EXPECT_EQ(260u, over.cchCapacity);
    EXPECT_EQ(std::string(259, 'p'), over.Text()) << "a terminated cut copy";

    const Value farOver = GetValue(settings, "Silent", "Long");
    EXPECT_FALSE(farOver.bRead);
    EXPECT_EQ(300u, farOver.cchCapacity);
    EXPECT_EQ(std::string(259, 'l'), farOver.Text());

    for (const Value* value : {&shortValue, &longest, &over, &farOver})
        EXPECT_EQ(std::string(140, '#'), value->buffer.substr(260)) << "nothing past the capacity";
}

TEST(LaunchSettings, EmptyMissingAndAbsentAllReadAsNothing)
{
    const std::string path = IniFile("settings_empty", "[Settings]\r\nDemoPath=\r\nSetupPath=x\r\n");
    LaunchSettings    settings(path.c_str());
    LaunchSettings    absent((FreshFolder("settings_absent") + "\\Setup.ini").c_str());

    struct
    {
        LaunchSettings* pSettings;
        const char*     szSection;
        const char*     szKey;
    } const cases[] = {
        {&settings, "Settings", "DemoPath"},    // key=
        {&settings, "Settings", "Missing"},     // no such key
        {&settings, "Silent", "CmdlineParam"},  // no such section
        {&absent, "Settings", "SetupPath"},     // no file
        {&absent, "Silent", "CmdlineParam"},
    };
    for (const auto& c : cases)
    {
        const Value value = GetValue(*c.pSettings, c.szSection, c.szKey);
        EXPECT_FALSE(value.bRead) << c.szSection << "/" << c.szKey;
        EXPECT_EQ(260u, value.cchCapacity) << c.szKey;
        EXPECT_EQ(std::string(400, '#'), value.buffer) << c.szKey;
    }
}

TEST(LaunchSettings, ReadsTheFileAfreshAndCutsALongPath)
{
    const std::string path = IniFile("settings_fresh", "[Settings]\r\nSetupPath=first\r\n");
    LaunchSettings    settings(path.c_str());
    EXPECT_EQ("first", GetValue(settings, "Settings", "SetupPath").Text());
    WriteFileText(path, "[Settings]\r\nSetupPath=second\r\n");
    EXPECT_EQ("second", GetValue(settings, "Settings", "SetupPath").Text());

    const std::string longPath(400, 'q');
    LaunchSettings    cut(longPath.c_str());
    EXPECT_EQ(std::string(259, 'q'), cut.m_szPath);
}
