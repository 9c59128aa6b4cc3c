// Closing and terminating processes through their windows, under the bench's
// X server, and ending the engine's processes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <stdio.h>

#include "ProcessTestSupport.h"
#include "TestSupport.h"
#include "engine/KillEngine.h"
#include "process/ProcessKiller.h"

namespace {

// Messages per window: "<index> <message>" in the order recorded.
std::multiset<std::string> MessageSet(const CStandIn& standIn)
{
    std::multiset<std::string> messages;
    for (const WindowMessage& message : standIn.Messages())
        messages.insert(std::to_string(message.nWindow) + " " + message.message);
    return messages;
}

class ProcessCloseTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_log    = UseTestLog("close");
    }

    // Runs CloseProcess and measures it in milliseconds.
    BOOL TimedClose(DWORD dwProcessId, BOOL bTerminate, DWORD& dwElapsed)
    {
        CProcessKiller killer;
        const DWORD    dwStart = GetTickCount();
        const BOOL     bResult = killer.CloseProcess(dwProcessId, bTerminate);
        dwElapsed              = GetTickCount() - dwStart;
        return bResult;
    }

    std::string m_folder;
    std::string m_log;
};

TEST_F(ProcessCloseTest, ProcessThatEndsOnCloseIsNotTerminated)
{
    CStandIn engine(m_folder, "IKernel.exe", "windows=visible\nsleep=60000");
    DWORD    dwElapsed = 0;
    EXPECT_TRUE(TimedClose(engine.ProcessId(), TRUE, dwElapsed));
    EXPECT_LT(dwElapsed, 4000u);
    ASSERT_TRUE(engine.WaitForEnd(5000));
    EXPECT_TRUE(engine.EndedByItself());
    EXPECT_EQ((std::multiset<std::string>{"0 WM_QUERYENDSESSION", "0 WM_CLOSE"}), MessageSet(engine));
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(ProcessCloseTest, ProcessIgnoringCloseIsTerminatedAfterFiveSeconds)
{
    // The windows ignore WM_CLOSE, so each is asked while the others still
    // stand (a window busy destroying another for more than 100 ms would be
    // passed by).
    CStandIn engine(m_folder, "IKernel.exe", "windows=visible,hidden,visible\nignoreclose=1\nsleep=60000");
    CStandIn bystander(m_folder, "other.exe", "windows=visible\nsleep=60000");
    DWORD    dwElapsed = 0;
    EXPECT_TRUE(TimedClose(engine.ProcessId(), TRUE, dwElapsed));
    EXPECT_GE(dwElapsed, 4900u);
    EXPECT_LT(dwElapsed, 8000u);
    ASSERT_TRUE(engine.WaitForEnd(2000));
    EXPECT_FALSE(engine.EndedByItself());
    EXPECT_EQ(0u, engine.ExitCode());

    // One query and one close request per visible window; the hidden window
    // and the other program's window get nothing.
    EXPECT_EQ((std::multiset<std::string>{"0 WM_QUERYENDSESSION", "0 WM_CLOSE", "2 WM_QUERYENDSESSION", "2 WM_CLOSE"}),
              MessageSet(engine));
    EXPECT_TRUE(bystander.Messages().empty());
    EXPECT_TRUE(bystander.IsRunning());
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(ProcessCloseTest, WithoutTerminateAProcessIgnoringCloseIsLeftRunning)
{
    // Its window takes 3 seconds over the query, busy but not hung: it is
    // passed by after 100 ms, and the 5 seconds' wait starts then (waiting
    // for the answer would make it 8 seconds).
    CStandIn engine(m_folder, "IKernel.exe", "windows=visible\nignoreclose=1\nquerydelay=3000\nsleep=60000");
    DWORD    dwElapsed = 0;
    EXPECT_FALSE(TimedClose(engine.ProcessId(), FALSE, dwElapsed));
    EXPECT_GE(dwElapsed, 4900u);
    EXPECT_LT(dwElapsed, 7000u);
    EXPECT_TRUE(engine.IsRunning());
}

TEST_F(ProcessCloseTest, ProcessWithoutVisibleWindowIsTerminatedAtOnce)
{
    for (const char* szBehaviour : {"sleep=60000", "windows=hidden\nsleep=60000"})
    {
        SCOPED_TRACE(szBehaviour);
        CStandIn engine(m_folder, "knlwrap.exe", szBehaviour);
        DWORD    dwElapsed = 0;
        EXPECT_FALSE(TimedClose(engine.ProcessId(), FALSE, dwElapsed));
        EXPECT_TRUE(engine.IsRunning());
        EXPECT_TRUE(TimedClose(engine.ProcessId(), TRUE, dwElapsed));
        EXPECT_LT(dwElapsed, 2000u);
        ASSERT_TRUE(engine.WaitForEnd(2000));
        EXPECT_FALSE(engine.EndedByItself());
        EXPECT_TRUE(engine.Messages().empty());
    }
}

TEST_F(ProcessCloseTest, ProcessThatCannotBeOpenedCountsAsClosed)
{
    DWORD dwElapsed = 0;
    EXPECT_TRUE(TimedClose(0x7FFFFFF0, TRUE, dwElapsed));
    EXPECT_TRUE(TimedClose(0x7FFFFFF0, FALSE, dwElapsed));
}

TEST_F(ProcessCloseTest, DebugPrivilegeIsEnabledThenDisabled)
{
    CLibraryOverride override;
    override.Map("ADVAPI32.DLL", "fakeadvapi.dll");
    SetEnvironmentVariableA("FAKE_ADVAPI_MODE", "");
    SetEnvironmentVariableA("FAKE_ADVAPI_CALLS", nullptr);
    DWORD dwElapsed = 0;
    EXPECT_TRUE(TimedClose(0x7FFFFFF0, TRUE, dwElapsed));
    char szCalls[512] = {};
    GetEnvironmentVariableA("FAKE_ADVAPI_CALLS", szCalls, sizeof(szCalls));
    // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY = 40; SE_PRIVILEGE_ENABLED = 2.
    EXPECT_STREQ("open 40;lookup SeDebugPrivilege;adjust 2;open 40;lookup SeDebugPrivilege;adjust 0;", szCalls);
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(ProcessCloseTest, PrivilegeFailuresAreLoggedAndTheCloseGoesOn)
{
    struct
    {
        const char* szLibrary;
        const char* szMode;
        const char* szLog;
    } cases[] = {
        {"fakeadvapi.dll", "tokenfail",
         "Unable to OpenProcessToken to adjust privilege.\nUnable to OpenProcessToken to adjust privilege.\n"},
        {"fakeadvapi.dll", "lookupfail", "LookupPrivilegeValue Error\nLookupPrivilegeValue Error\n"},
        {"emptylib.dll", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.szLibrary) + " " + c.szMode);
        std::string      log = UseTestLog("privilege");
        CLibraryOverride override;
        override.Map("ADVAPI32.DLL", c.szLibrary);
        SetEnvironmentVariableA("FAKE_ADVAPI_MODE", c.szMode);
        CStandIn engine(m_folder, "IKernel.exe", "sleep=60000");

        const DWORD nHandles = HandleCount();
        {
            CProcessKiller killer;
            EXPECT_EQ(strcmp(c.szLibrary, "fakeadvapi.dll") == 0, killer.m_bReady != FALSE);
            EXPECT_TRUE(killer.CloseProcess(engine.ProcessId(), TRUE));
        }
        EXPECT_EQ(nHandles, HandleCount());
        EXPECT_EQ(nullptr, GetModuleHandleA(c.szLibrary));
        EXPECT_TRUE(engine.WaitForEnd(2000));
        EXPECT_EQ(c.szLog, LogMessages(log));
    }
    SetEnvironmentVariableA("FAKE_ADVAPI_MODE", nullptr);
}

TEST_F(ProcessCloseTest, ClosingReleasesWhatItTakes)
{
    // Once for what stays loaded for good, then counted.
    {
        CStandIn engine(m_folder, "IKernel.exe", "windows=visible\nsleep=60000");
        CProcessKiller().CloseProcess(engine.ProcessId(), TRUE);
    }
    for (const char* szBehaviour : {"windows=visible\nsleep=60000", "sleep=60000"})
    {
        CStandIn  engine(m_folder, "IKernel.exe", szBehaviour);
        const DWORD nHandles = HandleCount();
        EXPECT_TRUE(CProcessKiller().CloseProcess(engine.ProcessId(), TRUE));
        EXPECT_TRUE(CProcessKiller().CloseProcess(0x7FFFFFF0, TRUE));
        EXPECT_EQ(nHandles, HandleCount()) << szBehaviour;
    }
}

TEST_F(ProcessCloseTest, EngineProcessesAreEndedFirstOfEachName)
{
    CStandIn engine(m_folder, "IKernel.exe", "windows=visible\nsleep=60000");
    CStandIn wrapper(m_folder, "knlwrap.exe", "sleep=60000");
    CStandIn secondEngine(m_folder, "IKernel.exe", "sleep=60000");
    KillEngineProcesses();

    EXPECT_TRUE(engine.WaitForEnd(2000));
    EXPECT_TRUE(engine.EndedByItself());
    EXPECT_TRUE(wrapper.WaitForEnd(2000));
    EXPECT_FALSE(wrapper.EndedByItself());
    EXPECT_TRUE(secondEngine.IsRunning());
    char szExpected[256];
    snprintf(szExpected, sizeof(szExpected), "Match PID %lX Module IKernel.exe\nKilled 1\nMatch PID %lX Module knlwrap.exe\nKilled 1\n",
             engine.ProcessId(), wrapper.ProcessId());
    EXPECT_EQ(szExpected, LogMessages(m_log));
}

TEST_F(ProcessCloseTest, NoEngineRunningLogsNothing)
{
    KillEngineProcesses();
    EXPECT_EQ("", LogMessages(m_log));
}

} // namespace
