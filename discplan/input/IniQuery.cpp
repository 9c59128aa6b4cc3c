// iniquery: answers Setup.ini queries with discplan's reader on a system of
// one code page, or (the Windows build, with --windows) with
// GetPrivateProfileStringA itself in the system's code page, so that a test
// can hold the two against each other.
//   iniquery [--windows | --codepage N] FILE SECTION KEY [SECTION KEY]...
// SECTION and KEY are asked in the code page (the native reader converts
// them from UTF-8). Prints one line per query: the value's bytes, with '\'
// and bytes outside printable ASCII escaped as \xx, or "<absent>".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "discplan/codepage/CodePage.h"
#include "discplan/input/IniFile.h"
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

std::string ReadFile(const char* szPath)
{
    std::string bytes;
    FILE*       pFile = fopen(szPath, "rb");
    if (pFile == nullptr)
        return bytes;
    char   buffer[4096];
    size_t nRead;
    while ((nRead = fread(buffer, 1, sizeof(buffer), pFile)) > 0)
        bytes.append(buffer, nRead);
    fclose(pFile);
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    int      nArg      = 1;
    bool     bWindows  = false;
#ifdef _WIN32
    unsigned nCodePage = GetACP();
#else
    unsigned nCodePage = 1252;
#endif
    if (nArg < argc && strcmp(argv[nArg], "--windows") == 0)
        bWindows = true, ++nArg;
    else if (nArg + 1 < argc && strcmp(argv[nArg], "--codepage") == 0)
        nCodePage = static_cast<unsigned>(atoi(argv[nArg + 1])), nArg += 2;
    if (argc - nArg < 3 || (argc - nArg) % 2 != 1)
    {
        fputs("usage: iniquery [--windows | --codepage N] FILE SECTION KEY [SECTION KEY]...\n", stderr);
        return 2;
    }
    const CCodePage* pCodePage = CCodePage::Get(nCodePage);
    if (pCodePage == nullptr && !bWindows)
    {
        fprintf(stderr, "iniquery: cannot convert code page %u\n", nCodePage);
        return 2;
    }
    const char* szFile = argv[nArg++];
    CIniFile    ini;
    if (pCodePage != nullptr)
        ini.Load(ReadFile(szFile), *pCodePage, 1);
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
        else
        {
            // The native build is given UTF-8; the Windows build's arguments
            // are in the code page already.
            std::string section = argv[nArg], key = argv[nArg + 1];
#ifndef _WIN32
            pCodePage->Encode(argv[nArg], &section);
            pCodePage->Encode(argv[nArg + 1], &key);
#endif
            if (ini.Find(section.c_str(), key.c_str(), &value))
                value = value.substr(0, SETTINGS_WORK_SIZE - 1);
            else
                value = ABSENT;
        }
        Print(value);
    }
    return 0;
}
