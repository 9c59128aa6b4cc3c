// LaunchCmdline starting the recording stand-in (tools/recorder.exe).
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <tlhelp32.h>

#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "services/Launch.h"

namespace {

// One start as the stand-in recorded it.
struct Start
{
    std::string pid;
    std::string path;
    std::string cmdline;
    std::string cwd;
    int         nShow;

    // The command line after the program's own (quoted or bare) path.
    std::string Params() const
    {
        size_t pos = cmdline[0] == '"' ? cmdline.find('"', 1) + 1 : cmdline.find(' ');
        if (pos == std::string::npos || pos >= cmdline.size())
            return "";
        return cmdline.substr(cmdline[pos] == ' ' ? pos + 1 : pos);
    }
};

struct Records
{
    std::vector<Start>    starts;
    std::set<std::string> ended;
};

std::vector<std::string> Split(const std::string& line, char chSeparator)
{
    std::vector<std::string> fields;
    size_t                   pos = 0;
    for (;;)
    {
        size_t next = line.find(chSeparator, pos);
        fields.push_back(line.substr(pos, next == std::string::npos ? std::string::npos : next - pos));
        if (next == std::string::npos)
            return fields;
        pos = next + 1;
    }
}

class LaunchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* pInfo = ::testing::UnitTest::GetInstance()->current_test_info();
        m_name                           = std::string("launch_") + pInfo->name();
        m_folder                         = FreshFolder(m_name.c_str());
        m_logPath                        = UseTestLog(m_name.c_str());
        m_recordFile                     = m_folder + "\\starts.record";
        SetEnvironmentVariableA("RECORD_FILE", m_recordFile.c_str());
    }

    void TearDown() override { SetEnvironmentVariableA("RECORD_FILE", nullptr); }

    // A stand-in at folder\szRelative; szBehaviour is its [rec] section.
    std::string Program(const char* szRelative, const char* szBehaviour = "")
    {
        const std::string path = m_folder + "\\" + szRelative;
        const std::string dir  = path.substr(0, path.rfind('\\'));
        CreateDirectoryA(dir.c_str(), nullptr);
        EXPECT_TRUE(CopyFileA(ToolPath("recorder.exe").c_str(), path.c_str(), FALSE)) << path;
        if (*szBehaviour != '\0')
            WriteFileText(path + ".rec", std::string("[rec]\r\n") + szBehaviour + "\r\n");
        return path;
    }

    Records ReadRecords() const
    {
        Records                  records;
        std::vector<std::string> lines = Split(ReadFileText(m_recordFile), '\n');
        for (const std::string& line : lines)
        {
            std::vector<std::string> fields = Split(line, '\t');
            if (fields[0] == "start" && fields.size() == 6)
                records.starts.push_back({fields[1], fields[2], fields[3], fields[4], atoi(fields[5].c_str())});
            else if (fields[0] == "end" && fields.size() == 2)
                records.ended.insert(fields[1]);
        }
        return records;
    }

    // Waits until nStarts programs have recorded their start and all of them
    // their end.
    Records WaitForEnds(size_t nStarts, DWORD dwTimeoutMs = 20000) const
    {
        const DWORD dwStart = GetTickCount();
        Records     records = ReadRecords();
        while ((records.starts.size() < nStarts || records.ended.size() < records.starts.size()) &&
               GetTickCount() - dwStart < dwTimeoutMs)
        {
            Sleep(50);
            records = ReadRecords();
        }
        return records;
    }

    std::string m_name;
    std::string m_folder;
    std::string m_logPath;
    std::string m_recordFile;
};

// Milliseconds that fn takes.
template <typename Fn> DWORD Timed(Fn fn)
{
    const DWORD dwStart = GetTickCount();
    fn();
    return GetTickCount() - dwStart;
}

// The processes named szExeName that this test program started.
std::set<DWORD> ChildProcessesNamed(const char* szExeName)
{
    std::set<DWORD> pids;
    HANDLE          hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32  entry     = {};
    entry.dwSize              = sizeof(entry);
    for (BOOL bMore = Process32First(hSnapshot, &entry); bMore; bMore = Process32Next(hSnapshot, &entry))
    {
        if (lstrcmpiA(entry.szExeFile, szExeName) == 0 && entry.th32ParentProcessID == GetCurrentProcessId())
            pids.insert(entry.th32ProcessID);
    }
    CloseHandle(hSnapshot);
    return pids;
}

} // namespace

TEST_F(LaunchTest, HandsParametersAndShowStateOverUnchanged)
{
    const std::string program = Program("prog.exe");
    const char*       szParams = "-s -f1\"C:\\my dir\\setup.iss\" /v\"x=1\"";
    for (int nShow : {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED})
        EXPECT_NE(0, LaunchCmdline(program.c_str(), szParams, INFINITE, nShow)) << nShow;

    const Records records = ReadRecords();
    ASSERT_EQ(3u, records.starts.size());
    const int shows[] = {SW_HIDE, SW_SHOWNORMAL, SW_SHOWMINIMIZED};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(0, lstrcmpiA(program.c_str(), records.starts[i].path.c_str())) << records.starts[i].path;
        EXPECT_EQ(szParams, records.starts[i].Params());
        EXPECT_EQ(shows[i], records.starts[i].nShow);
    }
    const std::string line = "LaunchCmdline::Launching " + program + " " + szParams + "\n";
    EXPECT_EQ(line + line + line, LogMessages(m_logPath));
}

TEST_F(LaunchTest, WithoutParametersTheLogLineEndsInABlank)
{
    const std::string program = Program("prog.exe");
    EXPECT_NE(0, LaunchCmdline(program.c_str(), nullptr, INFINITE, SW_SHOWNORMAL));
    EXPECT_EQ("LaunchCmdline::Launching " + program + " \n", LogMessages(m_logPath));
    const Records records = ReadRecords();
    ASSERT_EQ(1u, records.starts.size());
    EXPECT_EQ("", records.starts[0].Params());
}

TEST_F(LaunchTest, NullOrMissingFilesStartNothing)
{
    EXPECT_EQ(0, LaunchCmdline(nullptr, "-s", INFINITE, SW_SHOWNORMAL));
    EXPECT_EQ("", ReadFileText(m_logPath)) << "a null file is silent";

    const std::string missing = m_folder + "\\Dusmara\\setup.exe";
    EXPECT_EQ(0, LaunchCmdline(missing.c_str(), "-s", INFINITE, SW_SHOWNORMAL));
    EXPECT_EQ("LaunchCmdline - cant find szFile " + missing + "\n", LogMessages(m_logPath));

    // The test is made on the path as written: a bare name that the search
    // path would find is not looked for.
    EXPECT_EQ(0, LaunchCmdline("notepad.exe", nullptr, 0, SW_HIDE));
    EXPECT_TRUE(ReadRecords().starts.empty());
}

TEST_F(LaunchTest, WaitsAsAsked)
{
    // No wait: back at once while the program runs on.
    const std::string slow = Program("slow.exe", "sleep=3000");
    Records           records;
    const DWORD       dwNoWait = Timed([&] {
        EXPECT_NE(0, LaunchCmdline(slow.c_str(), "", 0, SW_SHOWNORMAL));
        records = ReadRecords();
    });
    EXPECT_LT(dwNoWait, 2000u);
    EXPECT_TRUE(records.ended.empty());
    records = WaitForEnds(1);
    ASSERT_EQ(1u, records.starts.size());
    ASSERT_EQ(1u, records.ended.size());

    // Without limit: back only after the program ended.
    const std::string brief    = Program("brief.exe", "sleep=1500");
    const DWORD       dwForever = Timed([&] {
        EXPECT_NE(0, LaunchCmdline(brief.c_str(), nullptr, INFINITE, SW_SHOWNORMAL));
        records = ReadRecords();
    });
    EXPECT_GE(dwForever, 1400u);
    ASSERT_EQ(2u, records.starts.size());
    EXPECT_EQ(1u, records.ended.count(records.starts[1].pid)) << "ended before the call returned";

    // A wait that runs out: back after about a second, the program still running.
    const std::string longer = Program("long.exe", "sleep=6000");
    const DWORD       dwLimited = Timed([&] {
        EXPECT_NE(0, LaunchCmdline(longer.c_str(), nullptr, 1000, SW_SHOWNORMAL));
        records = ReadRecords();
    });
    EXPECT_GE(dwLimited, 950u);
    EXPECT_LT(dwLimited, 4500u);
    ASSERT_EQ(3u, records.starts.size());
    EXPECT_EQ(0u, records.ended.count(records.starts[2].pid)) << "still running";
    records = WaitForEnds(3);
    EXPECT_EQ(1u, records.ended.count(records.starts[2].pid)) << "ran on to its own end";
}

TEST_F(LaunchTest, RelativePathsResolveAgainstTheCurrentDirectory)
{
    Program("AppInst\\setup.exe");
    char szPrevious[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, szPrevious);
    ASSERT_TRUE(SetCurrentDirectoryA(m_folder.c_str()));
    const int nResult = LaunchCmdline(".\\AppInst\\setup.exe", "/x", INFINITE, SW_SHOWNORMAL);
    SetCurrentDirectoryA(szPrevious);

    EXPECT_NE(0, nResult);
    const Records records = ReadRecords();
    ASSERT_EQ(1u, records.starts.size());
    EXPECT_EQ(0, lstrcmpiA((m_folder + "\\AppInst\\setup.exe").c_str(), records.starts[0].path.c_str()));
    EXPECT_EQ(0, lstrcmpiA(m_folder.c_str(), records.starts[0].cwd.c_str())) << "the launcher's directory is inherited";
    EXPECT_EQ("/x", records.starts[0].Params());
}

TEST_F(LaunchTest, AnExistingFolderIsHandedToTheShell)
{
    const std::string folder = m_folder + "\\Install";
    CreateDirectoryA(folder.c_str(), nullptr);

    // Wine opens a folder with a new explorer.exe; the one this test starts
    // is ended again below (never the desktop's own explorer).
    const std::set<DWORD> before  = ChildProcessesNamed("explorer.exe");
    const int             nResult = LaunchCmdline(folder.c_str(), nullptr, 0, SW_HIDE);
    const std::set<DWORD> after   = ChildProcessesNamed("explorer.exe");
    EXPECT_EQ(before.size() + 1, after.size()) << "the shell opened the folder";
    for (DWORD dwPid : after)
    {
        if (before.count(dwPid) != 0)
            continue;
        HANDLE hProcess = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwPid);
        if (hProcess != nullptr)
        {
            TerminateProcess(hProcess, 0);
            WaitForSingleObject(hProcess, 5000);
            CloseHandle(hProcess);
        }
    }
    EXPECT_NE(0, nResult);
    EXPECT_EQ("LaunchCmdline::Launching " + folder + " \n", LogMessages(m_logPath));
}

TEST_F(LaunchTest, OverlongTextsAreCutWithinTheirCopies)
{
    // Callers keep both texts within 519 bytes; a longer file name is cut to
    // 519 characters, which name nothing here.
    const std::string longName = m_folder + "\\" + std::string(600, 'n');
    EXPECT_EQ(0, LaunchCmdline(longName.c_str(), nullptr, 0, SW_HIDE));
    const std::string log = LogMessages(m_logPath);
    EXPECT_EQ(0u, log.find("LaunchCmdline - cant find szFile " + longName.substr(0, 100)));
    EXPECT_EQ('\n', log.back());
    EXPECT_TRUE(ReadRecords().starts.empty());
}
