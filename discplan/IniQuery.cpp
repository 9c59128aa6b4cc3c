// iniquery: answers Setup.ini queries with discplan's reader, or (the
// Windows build, with --windows) with GetPrivateProfileStringA itself, so
// that a test can hold the two against each other.
//   iniquery [--windows] FILE SECTION KEY [SECTION KEY]...
// Prints one line per query: the value with '\' and bytes outside printable
// ASCII escaped as \xx, or "<absent>".
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "discplan/IniFile.h"
#include "services/Bounded.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const char* const ABSENT = "<absent>";

void Print(const std::string& value)
{
    for (unsigned char ch : value)
    {
        if (ch < 0x20 || ch >= 0x7F || ch == '\\')
            printf("\\%02x", ch);
        else
            putchar(ch);
    }
    putchar('\n');
}

} // namespace

int main(int argc, char** argv)
{
    int nArg = 1;
    const bool bWindows = argc > 1 && strcmp(argv[1], "--windows") == 0;
    if (bWindows)
        ++nArg;
    if (argc - nArg < 3 || (argc - nArg) % 2 != 1)
    {
        fputs("usage: iniquery [--windows] FILE SECTION KEY [SECTION KEY]...\n", stderr);
        return 2;
    }
    const char* szFile = argv[nArg++];
    CIniFile    ini;
    ini.Load(szFile);
    // Answers of the size Setup.exe reads them with.
    std::vector<char> work(SETTINGS_WORK_SIZE);
    for (; nArg + 1 < argc; nArg += 2)
    {
        std::string value;
        if (bWindows)
        {
#ifdef _WIN32
            GetPrivateProfileStringA(argv[nArg], argv[nArg + 1], ABSENT, work.data(), SETTINGS_WORK_SIZE, szFile);
            value = work.data();
#else
            fputs("iniquery: --windows needs the Windows build\n", stderr);
            return 2;
#endif
        }
        else if (ini.Find(argv[nArg], argv[nArg + 1], &value))
            value = value.substr(0, SETTINGS_WORK_SIZE - 1);
        else
            value = ABSENT;
        Print(value);
    }
    return 0;
}
