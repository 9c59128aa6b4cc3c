#include "services/Log.h"

#include "services/LogLine.h"

char   g_szLogPath[MAX_PATH];
CMutex g_logMutex(FALSE, "brivanta_mutex", nullptr);

CLogFile::CLogFile(const char* szPath) : m_hFile(INVALID_HANDLE_VALUE)
{
    if (szPath[0] == '\0')
        return;
    m_hFile = CreateFileA(szPath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    // A text file may end in an end-of-file mark (Ctrl+Z); it goes, so that
    // readers that stop there still see what is appended. An empty file fails
    // the seek and is left alone.
    char  ch     = 0;
    DWORD cbRead = 0;
    if (SetFilePointer(m_hFile, -1, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
        ReadFile(m_hFile, &ch, 1, &cbRead, nullptr) && cbRead == 1 && ch == '\x1a')
    {
        SetFilePointer(m_hFile, -1, nullptr, FILE_END);
        SetEndOfFile(m_hFile);
    }
}

CLogFile::~CLogFile()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

void CLogFile::Write(const char* szText)
{
    if (m_hFile == INVALID_HANDLE_VALUE)
        return;
    // One log line fits the buffer with every line feed doubled, so it goes
    // out in one write; a longer text goes out in pieces.
    char  rgOut[2 * LOG_BUFFER_SIZE];
    DWORD cbOut = 0;
    DWORD cbWritten;
    SetFilePointer(m_hFile, 0, nullptr, FILE_END);
    for (const char* pch = szText; *pch != '\0'; ++pch)
    {
        if (cbOut + 2 > sizeof(rgOut))
        {
            WriteFile(m_hFile, rgOut, cbOut, &cbWritten, nullptr);
            cbOut = 0;
        }
        if (*pch == '\n')
            rgOut[cbOut++] = '\r';
        rgOut[cbOut++] = *pch;
    }
    if (cbOut != 0)
        WriteFile(m_hFile, rgOut, cbOut, &cbWritten, nullptr);
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
