// The command line that WinMain receives. Pure code, shared with the native
// tests.
#pragma once

// Returns the part of the process command line (GetCommandLineA) after the
// program's own name and the blanks that follow it, as the C runtime's start-up
// handed it to WinMain: the name runs to the first byte at or below the space
// that is not inside double quotes. Bytes from 0x80 up belong to the name
// (unlike MinGW's start-up, whose signed comparison ended the name there).
const char* SkipProgramName(const char* szCommandLine);
