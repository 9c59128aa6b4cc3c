// What each build's conversion supplies to the code page (CodePage.cpp):
// CodePageNative.cpp through iconv and the C library, CodePageWindows.cpp
// through the Windows functions themselves.
#pragma once

// The system's upper case of a character of the Basic Multilingual Plane, as
// Windows's file name comparison takes it.
char32_t PlatformUpperCase(char32_t ch);
