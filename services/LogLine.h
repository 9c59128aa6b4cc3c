// The text of one diagnostic log line. Pure code, shared with the native
// fuzzing build.
#pragma once

#include <stdarg.h>
#include <stddef.h>

// Size of the message buffer and of the line buffer of one log call.
const size_t LOG_BUFFER_SIZE = 520;

// Local time of a log line, as GetLocalTime reports it.
struct LogTime
{
    int nMonth;
    int nDay;
    int nYear;
    int nHour;
    int nMinute;
    int nSecond;
};

// Formats the caller's message into szMessage (LOG_BUFFER_SIZE bytes). A
// message that does not fit is cut, ends in a line feed and stays terminated.
void FormatLogMessageV(char* szMessage, const char* szFormat, va_list args);

// Formats "[MM/DD/YYYY HH:MM:SS] - <message>" into szLine (LOG_BUFFER_SIZE
// bytes). The message is inserted as text, never used as a format; a line that
// does not fit is cut, ends in a line feed and stays terminated.
void FormatLogLine(char* szLine, const LogTime& time, const char* szMessage);
