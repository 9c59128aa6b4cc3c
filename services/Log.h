// The diagnostic log: one timestamped line per WriteLog call, appended to the
// Windows folder's temp\Brivanta.log and shared between processes through the
// named mutex "brivanta_mutex". Nothing about the log is ever reported: a
// line that cannot be written is dropped.
#pragma once

#include <stdio.h>
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

// One append stream on the log file, open for the length of one line.
class CLogFile
{
public:
    explicit CLogFile(const char* szPath);
    ~CLogFile();

    // Writes the text as it is (it is never used as a format).
    void Write(const char* szText);

private:
    FILE* m_pFile;

    CLogFile(const CLogFile&)            = delete;
    CLogFile& operator=(const CLogFile&) = delete;
};
