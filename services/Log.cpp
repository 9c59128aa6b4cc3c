#include "services/Log.h"

#include "services/LogLine.h"

char   g_szLogPath[MAX_PATH];
CMutex g_logMutex(FALSE, "brivanta_mutex", nullptr);

CLogFile::CLogFile(const char* szPath) : m_pFile(nullptr)
{
    // Text mode: each line feed reaches the file as carriage return and line feed.
    if (szPath[0] != '\0')
        m_pFile = fopen(szPath, "a+");
}

CLogFile::~CLogFile()
{
    if (m_pFile != nullptr)
        fclose(m_pFile);
}

void CLogFile::Write(const char* szText)
{
    if (m_pFile != nullptr)
        fputs(szText, m_pFile);
}

void WriteLog(const char* szFormat, ...)
{
    // The result is not looked at: without the mutex the line is written
    // unserialised rather than lost.
    g_logMutex.Lock(INFINITE);
    {
        CLogFile file(g_szLogPath);

        char    szMessage[LOG_BUFFER_SIZE];
        va_list args;
        va_start(args, szFormat);
        FormatLogMessageV(szMessage, szFormat, args);
        va_end(args);

        SYSTEMTIME st;
        GetLocalTime(&st);
        const LogTime time = {st.wMonth, st.wDay, st.wYear, st.wHour, st.wMinute, st.wSecond};

        char szLine[LOG_BUFFER_SIZE];
        FormatLogLine(szLine, time, szMessage);
        file.Write(szLine);
    }
    g_logMutex.Unlock();
}
