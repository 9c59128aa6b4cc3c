// The diagnostic log: one timestamped line per WriteLog call, appended to the
// Windows folder's temp\Brivanta.log and shared between processes through the
// named mutex "brivanta_mutex". Nothing about the log is ever reported: a
// line that cannot be written is dropped.
#pragma once

#include <windows.h>

#include "Utils/Common/Sync/Sync.h"

// Path of the log file; empty until the entry sequence sets it, and every
// line logged while it is empty is dropped.
extern char g_szLogPath[MAX_PATH];

// Serialises the writers of the log file, across processes.
extern CMutex g_logMutex;

// Formats a message (printf-style, constant formats only) and appends it as
// one line with the local time. Messages carry their own "\n".
void WriteLog(const char* szFormat, ...);

// The log file opened for appending, for the length of one line. It is
// written the way the C runtime's text-mode append stream ("a+") wrote it in
// earlier builds: opened for reading and writing, shared, created when
// missing; a Ctrl+Z that ends the file is removed on opening; every write goes
// to the end of the file and each line feed reaches the file as carriage
// return and line feed.
class CLogFile
{
public:
    explicit CLogFile(const char* szPath);
    ~CLogFile();

    // Writes the text as it is (it is never used as a format); nothing when
    // the file could not be opened.
    void Write(const char* szText);

private:
    HANDLE m_hFile;

    CLogFile(const CLogFile&)            = delete;
    CLogFile& operator=(const CLogFile&) = delete;
};
