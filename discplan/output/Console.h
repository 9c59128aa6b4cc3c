// discplan's arguments and output as Unicode text (UTF-8), whatever the
// system's code page.
#pragma once

#include <string>
#include <vector>

// The program's arguments, its own name left out. The Windows build reads
// them from the wide command line: the "A" arguments would have lost every
// character the code page cannot write.
std::vector<std::string> Arguments(int argc, char** argv);

// Writes text to standard output (bError: standard error). A Windows console
// gets it through WriteConsoleW; anything else (a file, a pipe, a Linux
// terminal) gets UTF-8.
void Write(const std::string& text, bool bError = false);
