// Finding running processes through both back-ends, with stand-in programs
// running under the engine's names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <stdio.h>

#include "ProcessTestSupport.h"
#include "TestSupport.h"
#include "process/FindProcess.h"
#include "process/ProcessList.h"
#include "process/PsapiProcessApi.h"
#include "process/ToolhelpProcessApi.h"

namespace {

std::string MatchLine(DWORD dwProcessId, const char* szModule)
{
    char szLine[128];
    snprintf(szLine, sizeof(szLine), "Match PID %lX Module %s\n", dwProcessId, szModule);
    return szLine;
}

// The position of a process in a fresh process list, or -1.
int ListPosition(DWORD dwProcessId)
{
    CProcessList processes;
    for (unsigned i = 0; i < processes.GetCount(); ++i)
        if (processes.GetAt(i) == dwProcessId)
            return static_cast<int>(i);
    return -1;
}

class ProcessSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = FreshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        m_log    = UseTestLog("search");
    }

    std::string m_folder;
    std::string m_log;
};

TEST_F(ProcessSearchTest, FindsTheEngineIgnoringCaseAndLogsOnce)
{
    CStandIn engine(m_folder, "IKernel.exe", "sleep=30000");
    DWORD    dwFound = 0;
    ASSERT_TRUE(FindProcessByModule("ikernel.exe", &dwFound));
    EXPECT_EQ(engine.ProcessId(), dwFound);
    // The name logged is the module's own spelling.
    EXPECT_EQ(MatchLine(engine.ProcessId(), "IKernel.exe"), LogMessages(m_log));
}

TEST_F(ProcessSearchTest, OfTwoSameNamedProcessesOnlyTheFirstListed)
{
    CStandIn first(m_folder, "knlwrap.exe", "sleep=30000");
    CStandIn second(m_folder, "knlwrap.exe", "sleep=30000");
    const DWORD dwExpected =
        ListPosition(first.ProcessId()) < ListPosition(second.ProcessId()) ? first.ProcessId() : second.ProcessId();
    DWORD dwFound = 0;
    ASSERT_TRUE(FindProcessByModule("KNLWRAP.EXE", &dwFound));
    EXPECT_EQ(dwExpected, dwFound);
    EXPECT_EQ(MatchLine(dwExpected, "knlwrap.exe"), LogMessages(m_log));
}

TEST_F(ProcessSearchTest, OnlyTheFirstTwoModulesAreExamined)
{
    CStandIn engine(m_folder, "IKernel.exe", "sleep=30000");
    CModuleList modules(engine.ProcessId());
    ASSERT_GE(modules.GetCount(), 3u);
    char szSecond[MODULE_NAME_SIZE] = {}, szThird[MODULE_NAME_SIZE] = {};
    ASSERT_TRUE(modules.GetBaseName(modules.GetAt(1), szSecond));
    ASSERT_TRUE(modules.GetBaseName(modules.GetAt(2), szThird));

    // Every Wine process loads its system DLLs in the same order, so the
    // first process listed carries the second module too.
    DWORD dwFound = 0;
    EXPECT_TRUE(FindProcessByModule(szSecond, &dwFound));
    UseTestLog("search");
    dwFound = 0xDEADBEEF;
    EXPECT_FALSE(FindProcessByModule(szThird, &dwFound)) << szThird;
    EXPECT_FALSE(FindProcessByModule("nosuch.exe", &dwFound));
    EXPECT_EQ(0xDEADBEEFu, dwFound);
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(ProcessSearchTest, PsapiWithoutOneFunctionFindsNothingAndCallsNothing)
{
    CStandIn         engine(m_folder, "IKernel.exe", "sleep=30000");
    CLibraryOverride override;
    override.Map("PSAPI.DLL", "partialpsapi.dll");
    SetEnvironmentVariableA("PARTIAL_PSAPI_CALLS", nullptr);

    {
        CPsapiProcessApi api;
        EXPECT_FALSE(api.m_bReady);
    }
    DWORD dwFound = 0xDEADBEEF;
    EXPECT_FALSE(FindProcessByModule("IKernel.exe", &dwFound));
    EXPECT_EQ(0xDEADBEEFu, dwFound);

    // The PSAPI back-end is chosen and stays empty: Toolhelp is not tried.
    for (const std::string& name : override.Asked())
        EXPECT_EQ("PSAPI.DLL", name);
    char szCalls[256] = {};
    EXPECT_EQ(0u, GetEnvironmentVariableA("PARTIAL_PSAPI_CALLS", szCalls, sizeof(szCalls))) << szCalls;
    // Each back-end released its library again.
    EXPECT_EQ(nullptr, GetModuleHandleA("partialpsapi.dll"));
    EXPECT_EQ("", LogMessages(m_log));
}

TEST_F(ProcessSearchTest, ToolhelpServesWithoutPsapi)
{
    CStandIn         engine(m_folder, "IKernel.exe", "sleep=30000");
    CLibraryOverride override;
    override.Map("PSAPI.DLL", "");

    // The factory falls back to Toolhelp once PSAPI cannot be loaded.
    EXPECT_NE(-1, ListPosition(engine.ProcessId()));
    EXPECT_EQ((std::vector<std::string>{"PSAPI.DLL", "Kernel32.DLL"}), override.Asked());

    // Toolhelp names the executable, whichever module is asked about.
    CModuleList modules(engine.ProcessId());
    ASSERT_GE(modules.GetCount(), 2u);
    for (unsigned i = 0; i < 2; ++i)
    {
        char szName[MODULE_NAME_SIZE] = {};
        EXPECT_TRUE(modules.GetBaseName(modules.GetAt(i), szName));
        EXPECT_STREQ("IKernel.exe", szName);
    }

    DWORD dwFound = 0;
    ASSERT_TRUE(FindProcessByModule("ikernel.exe", &dwFound));
    EXPECT_EQ(engine.ProcessId(), dwFound);
    EXPECT_EQ(MatchLine(engine.ProcessId(), "IKernel.exe"), LogMessages(m_log));
    for (const std::string& name : override.Asked())
        EXPECT_TRUE(name == "PSAPI.DLL" || name == "Kernel32.DLL") << name;
}

TEST_F(ProcessSearchTest, BothBackEndsListTheSameProcessAndModules)
{
    CStandIn engine(m_folder, "IKernel.exe", "sleep=30000");
    DWORD    psapiIds[PROCESS_LIST_CAPACITY], toolhelpIds[PROCESS_LIST_CAPACITY];
    HMODULE  psapiModules[PROCESS_LIST_CAPACITY], toolhelpModules[PROCESS_LIST_CAPACITY];
    CPsapiProcessApi    psapi;
    CToolhelpProcessApi toolhelp;
    ASSERT_TRUE(psapi.m_bReady);
    ASSERT_TRUE(toolhelp.m_bReady);

    const unsigned nPsapi    = psapi.ListProcesses(psapiIds);
    const unsigned nToolhelp = toolhelp.ListProcesses(toolhelpIds);
    EXPECT_NE(psapiIds + nPsapi, std::find(psapiIds, psapiIds + nPsapi, engine.ProcessId()));
    EXPECT_NE(toolhelpIds + nToolhelp, std::find(toolhelpIds, toolhelpIds + nToolhelp, engine.ProcessId()));

    const unsigned nModules = psapi.ListModules(engine.ProcessId(), psapiModules);
    ASSERT_GE(nModules, 2u);
    ASSERT_EQ(nModules, toolhelp.ListModules(engine.ProcessId(), toolhelpModules));
    EXPECT_TRUE(std::equal(psapiModules, psapiModules + nModules, toolhelpModules));

    // The full file name comes from PSAPI only.
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, engine.ProcessId());
    char   szName[MODULE_NAME_SIZE] = {};
    EXPECT_TRUE(psapi.GetFileName(hProcess, psapiModules[0], szName, engine.ProcessId()));
    EXPECT_EQ(0, _stricmp((m_folder + "\\IKernel.exe").c_str(), szName)) << szName;
    char szNone[MODULE_NAME_SIZE] = {};
    EXPECT_FALSE(toolhelp.GetFileName(hProcess, toolhelpModules[0], szNone, engine.ProcessId()));
    EXPECT_STREQ("", szNone);
    CloseHandle(hProcess);
}

TEST_F(ProcessSearchTest, ProcessThatCannotBeOpenedHasNoModules)
{
    for (DWORD dwProcessId : {0ul, 0x7FFFFFF0ul})
    {
        CModuleList modules(dwProcessId);
        EXPECT_EQ(nullptr, modules.m_hProcess);
        EXPECT_EQ(nullptr, modules.m_pModules);
        EXPECT_EQ(0u, modules.GetCount());
    }
}

TEST_F(ProcessSearchTest, ListsAndSearchesReleaseWhatTheyTake)
{
    CStandIn engine(m_folder, "IKernel.exe", "sleep=30000");
    DWORD    dwFound = 0;
    // The first search loads what stays loaded for good (the system's own
    // libraries and caches); the counts are taken after it.
    FindProcessByModule("IKernel.exe", &dwFound);
    for (bool bToolhelp : {false, true})
    {
        CLibraryOverride override;
        if (bToolhelp)
            override.Map("PSAPI.DLL", "");
        const DWORD nHandles = HandleCount();
        {
            CProcessList processes;
            CModuleList  modules(engine.ProcessId());
            CModuleList  refused(0);
            EXPECT_TRUE(FindProcessByModule("IKernel.exe", &dwFound));
            EXPECT_FALSE(FindProcessByModule("nosuch.exe", &dwFound));
        }
        EXPECT_EQ(nHandles, HandleCount()) << (bToolhelp ? "Toolhelp" : "PSAPI");
    }
}

} // namespace
