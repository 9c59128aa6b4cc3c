// The engine file test and the engine update, against engine files laid out
// in a test common files folder and a recording stand-in as update program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "TestSupport.h"
#include "engine/EngineUpdate.h"
#include "launcher/Globals.h"

namespace {

// What the first test logs for each file: the comparison line of a present
// file (with the text it logs), the not-found line of a missing one.
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
        m_engine = CEngineLayout(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    std::string   m_log;
    CEngineLayout m_engine;
};

} // namespace

TEST_F(EngineCheck, AllFilesCurrentSkipsTheUpdate)
{
    m_engine.Lay({"v_current", "v_commas", "v_ten", "v_build", "v_minor"});
    EXPECT_EQ(1, CheckEngineFiles(m_engine.CheckFolder().c_str(), g_szCommonFilesDir));
    const std::string lines = Compared(m_engine.CheckPath(0), "6.31.100.1190") +
                              Compared(m_engine.CheckPath(1), "6.31.100.1190") +
                              Compared(m_engine.CheckPath(2), "10.0.0.0") +
                              Compared(m_engine.CheckPath(3), "6.31.100.1205") +
                              Compared(m_engine.ScriptPath(), "6.31.101.0");
    EXPECT_EQ(lines, LogMessages(m_log));

    m_log = UseTestLog("engine_check_needed");
    EXPECT_EQ(0, IsEngineUpdateNeeded());
    EXPECT_EQ(lines + "Skipping Engine update.\n", LogMessages(m_log));
}

TEST_F(EngineCheck, MissingFilesAreEachLoggedAndTheRestStillTested)
{
    m_engine.Lay({nullptr, "v_current", "v_current", nullptr, "v_current"});
    EXPECT_EQ(1, IsEngineUpdateNeeded());
    EXPECT_EQ(NotFound(m_engine.CheckPath(0)) + Compared(m_engine.CheckPath(1), "6.31.100.1190") +
                  Compared(m_engine.CheckPath(2), "6.31.100.1190") + NotFound(m_engine.CheckPath(3)) +
                  Compared(m_engine.ScriptPath(), "6.31.100.1190"),
              LogMessages(m_log));
}

TEST_F(EngineCheck, OutdatedEngineFileEndsTheTestAtOnce)
{
    m_engine.Lay({"v_current", "v_999", "v_current", "v_current", "v_current"});
    EXPECT_EQ(1, IsEngineUpdateNeeded());
    EXPECT_EQ(Compared(m_engine.CheckPath(0), "6.31.100.1190") + Compared(m_engine.CheckPath(1), "6.31.100.999"),
              LogMessages(m_log));

    // A file that names no version is outdated just the same.
    m_log = UseTestLog("engine_check_none");
    m_engine.Lay({"v_none", "v_current", "v_current", "v_current", "v_current"});
    EXPECT_EQ(0, CheckEngineFiles(m_engine.CheckFolder().c_str(), g_szCommonFilesDir));
    EXPECT_EQ(Compared(m_engine.CheckPath(0), ""), LogMessages(m_log));
}

TEST_F(EngineCheck, ScriptEngineOutdatedOrMissing)
{
    m_engine.Lay({"v_current", "v_current", "v_current", "v_current", "v_64"});
    const std::string engineLines = Compared(m_engine.CheckPath(0), "6.31.100.1190") +
                                    Compared(m_engine.CheckPath(1), "6.31.100.1190") +
                                    Compared(m_engine.CheckPath(2), "6.31.100.1190") +
                                    Compared(m_engine.CheckPath(3), "6.31.100.1190");
    EXPECT_EQ(1, IsEngineUpdateNeeded());
    EXPECT_EQ(engineLines + Compared(m_engine.ScriptPath(), "6.4.0.0") + m_engine.ScriptPath() +
                  " need to be updated\n",
              LogMessages(m_log));

    m_log = UseTestLog("engine_check_script_missing");
    m_engine.Lay({"v_current", "v_current", "v_current", "v_current", nullptr});
    EXPECT_EQ(1, IsEngineUpdateNeeded());
    EXPECT_EQ(engineLines + NotFound(m_engine.ScriptPath()), LogMessages(m_log));
}

TEST_F(EngineCheck, WholeEngineFolderMissing)
{
    m_engine.Lay({nullptr, nullptr, nullptr, nullptr, "v_current"});
    EXPECT_EQ(0, CheckEngineFiles(m_engine.CheckFolder().c_str(), g_szCommonFilesDir));
    EXPECT_EQ(NotFound(m_engine.CheckPath(0)) + NotFound(m_engine.CheckPath(1)) + NotFound(m_engine.CheckPath(2)) +
                  NotFound(m_engine.CheckPath(3)) + Compared(m_engine.ScriptPath(), "6.31.100.1190"),
              LogMessages(m_log));
}

// Paths beyond the test's 256-byte buffers count as missing files; nothing
// is written past a buffer, whatever the length of the common files folder.
TEST_F(EngineCheck, OverlongCommonFilesFolderCountsAsMissingFiles)
{
    for (size_t nLength : {200u, 225u, 230u, 250u, 255u, 259u})
    {
        std::string folder = "C:\\" + std::string(nLength - 3, 'c');
        snprintf(g_szCommonFilesDir, MAX_PATH, "%s", folder.c_str());
        m_log = UseTestLog("engine_check_long");
        EXPECT_EQ(1, IsEngineUpdateNeeded()) << nLength;
        const std::string log = LogMessages(m_log);
        size_t            nNotFound = 0;
        for (size_t pos = log.find("File "); pos != std::string::npos; pos = log.find("File ", pos + 1))
            ++nNotFound;
        EXPECT_EQ(5u, nNotFound) << log;
        EXPECT_EQ(std::string::npos, log.find("Skipping")) << log;
        EXPECT_EQ(0, UpdateEngine("techsupt")) << nLength;
    }
}

namespace {

class EngineUpdate : public EngineCheck
{
protected:
    void SetUp() override
    {
        EngineCheck::SetUp();
        m_disc.Enter(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }

    void TearDown() override { m_disc.Leave(); }

    CTestDisc m_disc;
};

} // namespace

TEST_F(EngineUpdate, UpdateThatBringsTheEngineCurrent)
{
    m_engine.Lay({"v_current", "v_999", "v_current", "v_current", "v_119"});
    // The update program copies current files into the engine's folders.
    const std::string program = m_disc.UpdateProgram(
        "techsupt", {m_engine.Source("v_current") + "|" + m_engine.UpdatePath(1),
                     m_engine.Source("v_current") + "|" + m_engine.ScriptPath()});

    const DWORD dwStart = GetTickCount();
    EXPECT_EQ(0, UpdateEngine("techsupt"));
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_GE(dwElapsed, 490u);

    // Started once with "-s", shown normally, and it had ended on return.
    const std::vector<CRecord> records = m_disc.Records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(program, records[0].path);
    EXPECT_EQ("-s", records[0].params);
    EXPECT_EQ(1, records[0].nShow);
    EXPECT_TRUE(records[0].bEnded);

    // The test after the update names the engine folder in its own spelling.
    std::string expected = "LaunchCmdline::Launching " + program + " -s\n";
    for (int i = 0; i < 4; ++i)
        expected += Compared(m_engine.UpdatePath(i), "6.31.100.1190");
    expected += Compared(m_engine.ScriptPath(), "6.31.100.1190");
    EXPECT_EQ(expected, LogMessages(m_log));
}

TEST_F(EngineUpdate, UpdateThatChangesNothingIsLogged)
{
    m_engine.Lay({"v_current", "v_current", "v_current", nullptr, "v_current"});
    const std::string program = m_disc.UpdateProgram("AppInst", {});
    EXPECT_EQ(0, UpdateEngine("AppInst"));
    EXPECT_EQ(1u, m_disc.Records().size());
    EXPECT_EQ("LaunchCmdline::Launching " + program + " -s\n" +
                  Compared(m_engine.UpdatePath(0), "6.31.100.1190") +
                  Compared(m_engine.UpdatePath(1), "6.31.100.1190") +
                  Compared(m_engine.UpdatePath(2), "6.31.100.1190") + NotFound(m_engine.UpdatePath(3)) +
                  Compared(m_engine.ScriptPath(), "6.31.100.1190") +
                  "IKernel files are not sync after launching update.\n",
              LogMessages(m_log));
}

TEST_F(EngineUpdate, MissingUpdateProgramStillPausesAndTestsAgain)
{
    m_engine.Lay({"v_current", "v_current", "v_current", "v_current", "v_current"});
    const DWORD dwStart = GetTickCount();
    EXPECT_EQ(0, UpdateEngine("techsupt"));
    EXPECT_GE(GetTickCount() - dwStart, 490u);
    EXPECT_TRUE(m_disc.Records().empty());
    const std::string log = LogMessages(m_log);
    EXPECT_EQ(0u, log.find("LaunchCmdline - cant find szFile " + m_disc.Folder() + "\\techsupt\\IKernelUpdate\\Setup.exe\n"))
        << log;
    // The engine itself is current: the test after the update passes.
    EXPECT_EQ(std::string::npos, log.find("not sync")) << log;

    // A root name too long for the program's path starts nothing.
    m_log = UseTestLog("engine_update_long_root");
    EXPECT_EQ(0, UpdateEngine(std::string(400, 'r').c_str()));
    EXPECT_EQ(0u, LogMessages(m_log).find("LaunchCmdline - cant find szFile \n"));
}
