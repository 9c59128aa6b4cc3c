// The launcher's own folder, named so that the ANSI functions can use it.
#pragma once

#include <windows.h>

// How LocateModuleFolder could name the folder.
enum ModuleFolderName
{
    FOLDER_AS_IS,               // whole, as the ANSI code page writes it
    FOLDER_SHORT_NAME,          // by its short name: the long one has characters outside the ANSI code page
    FOLDER_SHORT_NAME_TOO_LONG, // by its short name: the long one passes 259 bytes in the ANSI code page
    FOLDER_UNNAMEABLE,          // neither name can be written whole in the ANSI code page
};

// Fills szFolder (MAX_PATH bytes) with the folder of the launcher's own file,
// as PathRemoveFileSpecA leaves it. GetModuleFileNameA writes a character
// that the ANSI code page lacks as a default character ("C:\acc\?\disc"),
// and cuts a name longer than 259 bytes there (a Japanese path of 170
// characters): folders that do not exist. Then the folder's short name is
// used when it converts without loss and fits. With FOLDER_UNNAMEABLE
// szFolder holds the ANSI name with its default characters, or the cut name,
// for the log. Windows 95, 98 and Me name everything in the ANSI code page:
// there a cut name is FOLDER_UNNAMEABLE, any other FOLDER_AS_IS.
ModuleFolderName LocateModuleFolder(char* szFolder);

// Test seam: replaces GetShortPathNameW (looked up at run time) and returns
// the previous function. Production code never calls it.
typedef DWORD(WINAPI* PFN_GET_SHORT_PATH_NAME_W)(LPCWSTR wszLong, LPWSTR wszShort, DWORD cchShort);
PFN_GET_SHORT_PATH_NAME_W SetShortPathNameFunction(PFN_GET_SHORT_PATH_NAME_W pfnGetShortPathName);
