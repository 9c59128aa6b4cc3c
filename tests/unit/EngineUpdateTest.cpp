// The engine file test and the engine update, with the engine's files laid
// out in a common files folder of the test. The scenarios of present,
// missing and outdated files and of update programs run end to end
// (tests/e2e/test_engine.py); here are the cases no disc layout shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "engine/EngineUpdate.h"
#include "launcher/Globals.h"

namespace {

const char* const ENGINE_FILE_NAMES[] = {"ctor.dll", "iuser.dll", "ikernel.exe", "objectps.dll"};

std::string Compared(const std::string& path, const char* szFound)
{
    return std::string("6.31.100.1190 ") + szFound + " " + path + "\n";
}

std::string NotFound(const std::string& path) { return "File " + path + " not found.\n"; }

class EngineCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_log    = UseTestLog("engine_check");
        m_common = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        snprintf(g_szCommonFilesDir, MAX_PATH, "%s", m_common.c_str());
        // The folders carry the spelling of the test after the update; the
        // first test's upper-case spelling finds them as Windows ignores case.
        std::string folder = m_common;
        for (const char* szPart : {"InstallShield", "Engine", "6", "Intel 32"})
            CreateDirectoryA((folder += std::string("\\") + szPart).c_str(), nullptr);
        CreateDirectoryA((m_common + "\\InstallShield\\IScript").c_str(), nullptr);
    }

    // The five files in the order of the test, each a copy of the named
    // version file, or missing where the name is null.
    void Lay(const std::vector<const char*>& files)
    {
        for (size_t i = 0; i < files.size(); ++i)
        {
            const std::string target =
                i < 4 ? m_common + "\\InstallShield\\Engine\\6\\Intel 32\\" + ENGINE_FILE_NAMES[i] : ScriptPath();
            DeleteFileA(target.c_str());
            const std::string source = std::string("versions\\") + (files[i] != nullptr ? files[i] : "") + ".dll";
            if (files[i] != nullptr)
                CopyFileA(ToolPath(source.c_str()).c_str(), target.c_str(), FALSE);
        }
    }

    std::string CheckFolder() const { return m_common + "\\INSTALLSHIELD\\ENGINE\\6\\intel 32"; }
    std::string CheckPath(int nFile) const { return CheckFolder() + "\\" + ENGINE_FILE_NAMES[nFile]; }
    std::string ScriptPath() const { return m_common + "\\InstallShield\\IScript\\iscript.dll"; }

    std::string m_log;
    std::string m_common;
};

} // namespace

TEST_F(EngineCheck, MissingScriptEngineAndMissingEngineFolder)
{
    Lay({nullptr, nullptr, nullptr, nullptr, "v_current"});
    EXPECT_EQ(0, CheckEngineFiles(CheckFolder().c_str(), g_szCommonFilesDir));
    EXPECT_EQ(NotFound(CheckPath(0)) + NotFound(CheckPath(1)) + NotFound(CheckPath(2)) + NotFound(CheckPath(3)) +
                  Compared(ScriptPath(), "6.31.100.1190"),
              LogMessages(m_log));

    m_log = UseTestLog("engine_check_script_missing");
    Lay({"v_current", "v_current", "v_current", "v_current", nullptr});
    EXPECT_EQ(1, IsEngineUpdateNeeded(g_szCommonFilesDir));
    EXPECT_EQ(Compared(CheckPath(0), "6.31.100.1190") + Compared(CheckPath(1), "6.31.100.1190") +
                  Compared(CheckPath(2), "6.31.100.1190") + Compared(CheckPath(3), "6.31.100.1190") +
                  NotFound(ScriptPath()),
              LogMessages(m_log));
}

// Paths beyond the test's 256-byte buffers count as missing files; nothing
// is written past a buffer, whatever the length of the common files folder.
TEST_F(EngineCheck, OverlongCommonFilesFolderCountsAsMissingFiles)
{
    for (size_t nLength : {200u, 225u, 230u, 250u, 255u, 259u})
    {
        snprintf(g_szCommonFilesDir, MAX_PATH, "C:\\%s", std::string(nLength - 3, 'c').c_str());
        m_log = UseTestLog("engine_check_long");
        EXPECT_EQ(1, IsEngineUpdateNeeded(g_szCommonFilesDir)) << nLength;
        EXPECT_EQ(0, UpdateEngine("techsupt", g_szCommonFilesDir)) << nLength;
        const std::string log       = LogMessages(m_log);
        const std::string notFound  = " not found.\n";
        size_t            nNotFound = 0;
        for (size_t pos = log.find(notFound); pos != std::string::npos; pos = log.find(notFound, pos + 1))
            ++nNotFound;
        EXPECT_EQ(10u, nNotFound) << log;
        EXPECT_NE(std::string::npos, log.find("IKernel files are not sync after launching update.\n")) << log;
    }
}

TEST_F(EngineCheck, MissingUpdateProgramStillPausesAndTestsAgain)
{
    Lay({"v_current", "v_current", "v_current", "v_current", "v_current"});
    char szCwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szCwd);
    const DWORD dwStart = GetTickCount();
    EXPECT_EQ(0, UpdateEngine("techsupt", g_szCommonFilesDir));
    EXPECT_GE(GetTickCount() - dwStart, 490u);
    const std::string log = LogMessages(m_log);
    EXPECT_EQ(0u, log.find(std::string("LaunchCmdline - cant find szFile ") + szCwd +
                           "\\techsupt\\IKernelUpdate\\Setup.exe\n"))
        << log;
    // The engine itself is current: the test after the update passes.
    EXPECT_EQ(std::string::npos, log.find("not sync")) << log;

    // A root name too long for the program's path starts nothing.
    m_log = UseTestLog("engine_update_long_root");
    EXPECT_EQ(0, UpdateEngine(std::string(400, 'r').c_str(), g_szCommonFilesDir));
    EXPECT_EQ(0u, LogMessages(m_log).find("LaunchCmdline - cant find szFile \n"));
}
