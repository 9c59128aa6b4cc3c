// Unicode text in the system's ANSI code page, the code page of every "A"
// function the launcher calls.
#pragma once

#include <windows.h>

// What a conversion to the ANSI code page gave.
enum AnsiConversion
{
    ANSI_EXACT,    // every character has its own form
    ANSI_LOSSY,    // a default character stands for at least one
    ANSI_TOO_LONG, // the text in the code page does not fit the buffer
    ANSI_FAILED,   // no result (a UTF-8 code page, which reports no loss)
};

// Converts the zero-terminated wszText into szText (cbText bytes, terminator
// included). Best-fit mappings count as a loss: they turn a character into a
// look-alike ("Ł" into "L"), which names another folder or says another word.
// Only ANSI_EXACT leaves a usable text in szText.
AnsiConversion ConvertToAnsi(const wchar_t* wszText, char* szText, int cbText);
