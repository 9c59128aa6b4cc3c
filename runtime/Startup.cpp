// Start-up and exit of the programs linked without the C runtime (Setup.exe
// and the benchmark's null launcher): the entry point runs the static
// constructors, calls WinMain with the arguments the runtime gave it, runs the
// static destructors and ends the process with WinMain's result.
#include <windows.h>

#include "runtime/CommandLine.h"

extern "C" {

// The linker gathers every object's .ctors and .dtors sections into these
// lists: -1, the functions, then a null.
extern void (*__CTOR_LIST__[])();
extern void (*__DTOR_LIST__[])();

int  atexit(void (*pfnAtExit)());
void __cxa_pure_virtual();

} // extern "C"

namespace {

// The static destructors register themselves here as their objects are
// constructed; Setup.exe has two.
const int ATEXIT_CAPACITY = 32;

void (*g_rgpfnAtExit[ATEXIT_CAPACITY])();
int g_nAtExit;

void RunConstructors()
{
    // In the order the runtime's start-up ran them: from the last to the first.
    int nCount = 0;
    while (__CTOR_LIST__[nCount + 1] != nullptr)
        ++nCount;
    for (int i = nCount; i >= 1; --i)
        __CTOR_LIST__[i]();
}

void RunDestructors()
{
    for (int i = 1; __DTOR_LIST__[i] != nullptr; ++i)
        __DTOR_LIST__[i]();
    while (g_nAtExit > 0)
        g_rgpfnAtExit[--g_nAtExit]();
}

} // namespace

int atexit(void (*pfnAtExit)())
{
    if (g_nAtExit == ATEXIT_CAPACITY)
        return -1;
    g_rgpfnAtExit[g_nAtExit++] = pfnAtExit;
    return 0;
}

// A call of a pure virtual function is a fault of the program itself.
void __cxa_pure_virtual() { __builtin_trap(); }

// The entry point the linker looks for in a GUI program. Windows calls it with
// the stack aligned to 4 bytes only; the 32-bit code is compiled for 16.
extern "C" __attribute__((noreturn))
#if defined(__i386__)
__attribute__((force_align_arg_pointer))
#endif
void WinMainCRTStartup()
{
    RunConstructors();

    STARTUPINFOA si;
    GetStartupInfoA(&si);
    const int nShow = (si.dwFlags & STARTF_USESHOWWINDOW) != 0 ? si.wShowWindow : SW_SHOWDEFAULT;
    const int nExitCode =
        WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(SkipProgramName(GetCommandLineA())), nShow);

    RunDestructors();
    ExitProcess(static_cast<UINT>(nExitCode));
}
