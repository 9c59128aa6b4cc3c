#include "services/LogLine.h"

#include "services/Format.h"

namespace {

// A cut text keeps its line end, so the next log line still starts a line.
void KeepLineEnd(char* szText, size_t nLength)
{
    if (nLength >= LOG_BUFFER_SIZE)
        szText[LOG_BUFFER_SIZE - 2] = '\n';
}

} // namespace

void FormatLogMessageV(char* szMessage, const char* szFormat, va_list args)
{
    KeepLineEnd(szMessage, FormatBoundedV(szMessage, LOG_BUFFER_SIZE, szFormat, args));
}

void FormatLogLine(char* szLine, const LogTime& time, const char* szMessage)
{
    KeepLineEnd(szLine, FormatBounded(szLine, LOG_BUFFER_SIZE, "[%02d/%02d/%02d %02d:%02d:%02d] - %s",
                                      time.nMonth, time.nDay, time.nYear, time.nHour, time.nMinute,
                                      time.nSecond, szMessage));
}
