// The command line that WinMain receives. Pure code, shared with the native
// tests.
#pragma once

// Returns the part of the process command line (GetCommandLineA) after the
// program's own name and the blanks that follow it, as the Visual C++
// start-up hands it to WinMain (CommandLineToArgvW ends the name alike): a
// name that begins with a double quote ends at the next one, any other at the
// first byte at or below the space. Bytes from 0x80 up belong to the name
// (unlike MinGW's start-up, whose signed comparison ended the name there).
const char* SkipProgramName(const char* szCommandLine);
