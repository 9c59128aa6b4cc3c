// Loads string-table entry 1 of a program the way the launcher does
// (LoadStringA into 260 bytes) and prints the ANSI code page and the bytes:
//   stringtool <program>   ->   "<code page>\t<length>\t<hex bytes>"
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    HMODULE hModule = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr)
        return 1;
    char szText[MAX_PATH] = {};
    int  nLength          = LoadStringA(hModule, 1, szText, MAX_PATH);
    printf("%u\t%d\t", GetACP(), nLength);
    for (int i = 0; i < nLength; ++i)
        printf("%02x", static_cast<unsigned char>(szText[i]));
    printf("\n");
    return 0;
}
