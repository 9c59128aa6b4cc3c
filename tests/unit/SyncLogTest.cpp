// The diagnostic log and the synchronisation objects, against the real
// system: files, named mutexes and second processes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "Utils/Common/Sync/Sync.h"
#include "services/Log.h"

namespace {

// A waitable object that only counts what is asked of it.
class CCountingObject : public CSyncObject
{
public:
    CCountingObject() : CSyncObject(nullptr) { m_hHandle = reinterpret_cast<HANDLE>(1); }
    ~CCountingObject() override { m_hHandle = nullptr; }
    BOOL Lock(DWORD) override { return ++m_nLocks, m_bLockResult; }
    BOOL Unlock() override { return ++m_nUnlocks, m_bUnlockResult; }

    int  m_nLocks        = 0;
    int  m_nUnlocks      = 0;
    BOOL m_bLockResult   = TRUE;
    BOOL m_bUnlockResult = TRUE;
};

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t                   pos = 0;
    while (pos < text.size())
    {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 2;
    }
    return lines;
}

bool HasStamp(const std::string& line)
{
    // "[MM/DD/YYYY HH:MM:SS] - "
    const char* szShape = "[00/00/0000 00:00:00] - ";
    if (line.size() < 24)
        return false;
    for (int i = 0; i < 24; ++i)
    {
        if (szShape[i] == '0' ? !isdigit(static_cast<unsigned char>(line[i])) : line[i] != szShape[i])
            return false;
    }
    return true;
}

} // namespace

TEST(Log, WritesStampedLinesWithTheMessageAsText)
{
    std::string path = UseTestLog("stamped");
    SYSTEMTIME  before;
    GetLocalTime(&before);
    WriteLog("Entering Setup launcher\n\n");
    WriteLog("%s need to be updated\n", "C:\\100%\\%s%d%n.dll");
    WriteLog("Match PID %0X Module %s\n", 0x1f4, "IKernel.exe");

    std::vector<std::string> lines = SplitLines(ReadFileText(path));
    ASSERT_EQ(4u, lines.size());
    EXPECT_TRUE(HasStamp(lines[0])) << lines[0];
    EXPECT_EQ("Entering Setup launcher", lines[0].substr(24));
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ("C:\\100%\\%s%d%n.dll need to be updated", lines[2].substr(24));
    EXPECT_EQ("Match PID 1F4 Module IKernel.exe", lines[3].substr(24));

    // Month first, then day, then the year in full.
    char szDate[16];
    snprintf(szDate, sizeof(szDate), "[%02d/%02d/%04d", before.wMonth, before.wDay, before.wYear);
    EXPECT_EQ(szDate, lines[0].substr(0, 11));
}

TEST(Log, CutsTooLongLinesWithinTheLineBuffer)
{
    std::string path = UseTestLog("long");
    std::string huge(5000, 'x');
    WriteLog("%s%s\n", huge.c_str(), huge.c_str());
    WriteLog("after\n");

    // The 520-byte line buffer holds 518 characters and the kept line feed.
    std::vector<std::string> lines = SplitLines(ReadFileText(path));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(518u, lines[0].size());
    EXPECT_EQ(std::string(518 - 24, 'x'), lines[0].substr(24));
    EXPECT_EQ("after", lines[1].substr(24));
}

TEST(Log, DropsLinesItCannotWriteAndNothingElseChanges)
{
    // No path yet: the line leaves no trace anywhere.
    g_szLogPath[0] = '\0';
    WriteLog("dropped\n");

    // A folder that does not exist.
    snprintf(g_szLogPath, MAX_PATH, "%s", (FreshFolder("nolog") + "\\missing\\Brivanta.log").c_str());
    WriteLog("dropped too\n");
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(g_szLogPath));

    // A log that another program holds open without sharing keeps its contents.
    std::string path = UseTestLog("locked");
    WriteFileText(path, "old\r\n");
    HANDLE hHolder = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hHolder);
    WriteLog("not written\n");
    CloseHandle(hHolder);
    EXPECT_EQ("old\r\n", ReadFileText(path));

    // The mutex is free again after every one of them.
    CSyncLock lock(&g_logMutex, FALSE);
    EXPECT_TRUE(lock.Lock(0));
}

TEST(Log, AppendsAsTheRuntimesTextStreamDid)
{
    // Every line feed goes out as carriage return and line feed, also one that
    // follows a carriage return already; a Ctrl+Z that ends the file goes.
    std::string path = UseTestLog("textmode");
    WriteFileText(path, std::string("old\x1a\r\n\x1a", 7));
    WriteLog("one\r\n");
    WriteLog("two\n");
    std::string text = ReadFileText(path);
    ASSERT_EQ(6u + 24 + 6 + 24 + 5, text.size());
    EXPECT_EQ(std::string("old\x1a\r\n", 6), text.substr(0, 6));
    EXPECT_EQ("one\r\r\n", text.substr(6 + 24, 6));
    EXPECT_EQ("two\r\n", text.substr(6 + 24 + 6 + 24));
}

TEST(Log, WritersInSeveralProcessesLeaveOnlyWholeLines)
{
    std::string path = UseTestLog("shared");
    const int   kWriters = 8, kLines = 200;
    std::vector<HANDLE> processes;
    for (int i = 0; i < kWriters; ++i)
    {
        std::string command = "\"" + ToolPath("synctool.exe") + "\" log \"" + path + "\" " +
                              std::to_string(kLines) + " writer" + std::to_string(i);
        HANDLE hProcess = StartProcess(command);
        ASSERT_NE(nullptr, hProcess);
        processes.push_back(hProcess);
    }
    for (HANDLE hProcess : processes)
    {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hProcess, 60000));
        CloseHandle(hProcess);
    }

    std::vector<std::string> lines = SplitLines(ReadFileText(path));
    ASSERT_EQ(static_cast<size_t>(kWriters * kLines), lines.size());
    std::vector<int> next(kWriters, 0);
    for (const std::string& line : lines)
    {
        ASSERT_TRUE(HasStamp(line)) << line;
        int nWriter = -1, nLine = -1, nCount = -1;
        char szTail[64] = {};
        ASSERT_EQ(4, sscanf(line.c_str() + 24, "writer%d line %d of %d: %63[^\n]", &nWriter, &nLine,
                            &nCount, szTail))
            << line;
        EXPECT_STREQ("the quick brown fox jumps over the lazy dog", szTail);
        ASSERT_TRUE(nWriter >= 0 && nWriter < kWriters);
        EXPECT_EQ(next[nWriter]++, nLine) << "lines of one writer stay in order";
    }
}

TEST(SyncLock, ReleasesOnlyWhatItHolds)
{
    CCountingObject object;
    {
        CSyncLock lock(&object, FALSE);
        EXPECT_EQ(0, object.m_nLocks) << "no wait without lock-now";
        EXPECT_TRUE(lock.Unlock()) << "unlock without lock";
        EXPECT_EQ(0, object.m_nUnlocks);

        EXPECT_TRUE(lock.Lock(INFINITE));
        EXPECT_TRUE(lock.Unlock());
        EXPECT_EQ(1, object.m_nUnlocks);
        EXPECT_TRUE(lock.Lock(INFINITE));
    }
    EXPECT_EQ(2, object.m_nUnlocks) << "the end of life releases the held lock once";

    {
        CSyncLock lock(&object, TRUE);
        EXPECT_EQ(3, object.m_nLocks);
        object.m_bUnlockResult = FALSE;
        EXPECT_FALSE(lock.Unlock()) << "a failed release keeps the lock held";
        object.m_bUnlockResult = TRUE;
    }
    EXPECT_EQ(4, object.m_nUnlocks);

    object.m_bLockResult = FALSE;
    CSyncLock failed(&object, TRUE);
    EXPECT_FALSE(failed.m_bAcquired);
    EXPECT_TRUE(failed.Unlock());
    EXPECT_EQ(4, object.m_nUnlocks) << "a lock never acquired releases nothing";
}

TEST(SyncLock, LogsViolatedPreconditionsAndCarriesOn)
{
    std::string path = UseTestLog("checks");
    CCountingObject object;
    {
        CSyncLock lock(&object, TRUE);
        lock.Lock(INFINITE); // a second lock without unlock
        EXPECT_EQ(2, object.m_nLocks);
    }
    {
        CSyncLock nothing(nullptr, FALSE);
        EXPECT_FALSE(nothing.Lock(0));
    }
    EXPECT_EQ("Utils/Common/Sync/Sync.cpp 57: !m_bAcquired\n"
              "Utils/Common/Sync/Sync.cpp 44: pObject != NULL\n"
              "Utils/Common/Sync/Sync.cpp 56: m_pObject != NULL || m_hObject != NULL\n"
              "Utils/Common/Sync/Sync.cpp 65: m_pObject != NULL\n",
              LogMessages(path));
}

TEST(Mutex, SecondProcessWaitsUntilTheHolderReleases)
{
    std::string folder = FreshFolder("mutex");
    std::string marker = folder + "\\acquired";
    CMutex      mutex(FALSE, "sync_log_tests_mutex", nullptr);
    ASSERT_NE(nullptr, mutex.m_hHandle);
    CSyncLock lock(&mutex, TRUE);
    ASSERT_TRUE(lock.m_bAcquired);

    HANDLE hChild = StartProcess("\"" + ToolPath("synctool.exe") + "\" lock sync_log_tests_mutex \"" +
                                 marker + "\" 0");
    ASSERT_NE(nullptr, hChild);
    Sleep(1500);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str())) << "still blocked";
    EXPECT_TRUE(lock.Unlock());

    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hChild, 30000));
    DWORD dwExit = 1;
    GetExitCodeProcess(hChild, &dwExit);
    CloseHandle(hChild);
    EXPECT_EQ(0u, dwExit);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(marker.c_str()));
}

TEST(Mutex, FailedCreationFailsEveryLockAndUnlock)
{
    // A name with a backslash in an unknown namespace cannot be created.
    CMutex mutex(FALSE, "NoSuchNamespace\\sync_log_tests", nullptr);
    ASSERT_EQ(nullptr, mutex.m_hHandle);
    EXPECT_FALSE(mutex.Lock(INFINITE));
    EXPECT_FALSE(mutex.Unlock());
}
