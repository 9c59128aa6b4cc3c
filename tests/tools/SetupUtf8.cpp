// Setup.exe on a system whose ANSI code page is UTF-8 (Windows 10's "Use
// Unicode UTF-8"), as far as its own folder's name goes: the launcher's
// conversions to the ANSI code page are made in UTF-8 and refused as Windows
// refuses them there. Wine never uses UTF-8 as the ANSI code page, so only
// this seam reaches the case end to end. Everything else still works in
// Wine's code page: only a folder the launcher ends up naming in ASCII (its
// short name) can be used.
#include <windows.h>

#include "launcher/Sequence.h"
#include "services/AnsiText.h"
#include "tests/tools/Utf8AsWindows.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR szCmdLine, int)
{
    SetAnsiConverter({CP_UTF8, WideCharToUtf8AsWindows});
    return RunSetup(hInstance, szCmdLine);
}
