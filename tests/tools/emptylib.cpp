// A library that exports none of the functions the launcher looks up: it
// stands for a system library of an older Windows that lacks them.
#include <windows.h>

extern "C" __declspec(dllexport) int EmptyLibraryMarker() { return 1; }
