// The command line that WinMain receives. Pure code, shared with the native
// tests.
#pragma once

// Returns the part of the process command line (GetCommandLineA) after the
// program's own name and the blanks that follow it, as the C runtime's start-up
// handed it to WinMain: the name runs to the first byte at or below the space
// that is not inside double quotes, and a byte counts as at or below the space
// as the runtime's signed char compared it, so bytes from 0x80 up end an
// unquoted name too and are skipped as blanks.
const char* SkipProgramName(const char* szCommandLine);
