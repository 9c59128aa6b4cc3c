// Setup.exe: a windowless launcher. Everything happens in RunSetup.
#include "launcher/Sequence.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE /*hPrevInstance*/, LPSTR szCmdLine, int /*nShow*/)
{
    return RunSetup(hInstance, szCmdLine);
}
