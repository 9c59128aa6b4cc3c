// The floor of launch latency: a launcher that does nothing but start the
// program named on its command line through the shell, the way Setup.exe
// starts its programs (verb "open", shown normally, no wait), and end.
#include <windows.h>

#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR szCmdLine, int)
{
    SHELLEXECUTEINFOA sei;
    ZeroMemory(&sei, sizeof(sei));
    sei.cbSize = sizeof(sei);
    sei.lpVerb = "open";
    sei.lpFile = szCmdLine;
    sei.nShow  = SW_SHOWNORMAL;
    return ShellExecuteExA(&sei) ? 0 : 1;
}
