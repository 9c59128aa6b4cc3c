// Built and linked as Setup.exe is: the product's flags, link-time
// optimisation, no C runtime. Its code needs libgcc's helpers that only the
// code generation inside the link asks for (64-bit division on x86, 128-bit
// division on x64, the stack probe of a frame over 4 KiB), so building it at
// all shows that the linker takes them (the objects runtime/CMakeLists.txt
// takes from libgcc.a and hands to every link). Run, it checks that they
// compute, and that an allocation that fails gives null without running a
// constructor. Exit code 0, or the number of the first check that failed.
#include <windows.h>

namespace {

// Read through volatile, so that the work is done at run time.
volatile unsigned long long g_ullNumerator = 0xFEDCBA9876543210ULL;
volatile unsigned long long g_ullDivisor   = 0x12345ULL;
volatile long long          g_llNegative   = -0x123456789ALL;
volatile long long          g_llDivisor    = 7;
volatile size_t             g_nTooMany     = ~static_cast<size_t>(0) / 4;
volatile int                g_nPage        = 4096;

int g_nConstructed = 0;

struct CCounted
{
    CCounted() : m_nOrder(++g_nConstructed) {}
    int m_nOrder;
    int m_nPadding = 0;
};

// A frame of three pages: Windows grows the stack only through its guard
// page, so the probe must touch each page in turn.
int SumOverThreePages()
{
    volatile unsigned char rgbFrame[3 * 4096];
    for (int i = 0; i < 3 * g_nPage; i += g_nPage)
        rgbFrame[i] = static_cast<unsigned char>(i / g_nPage + 1);
    return rgbFrame[0] + rgbFrame[4096] + rgbFrame[8192];
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const unsigned long long ullNumerator = g_ullNumerator, ullDivisor = g_ullDivisor;
    const unsigned long long ullQuotient = ullNumerator / ullDivisor, ullRemainder = ullNumerator % ullDivisor;
    if (ullQuotient * ullDivisor + ullRemainder != ullNumerator || ullRemainder >= ullDivisor)
        return 1;

    // Signed division truncates toward zero: the remainder takes the
    // numerator's sign.
    const long long llNumerator = g_llNegative, llDivisor = g_llDivisor;
    const long long llQuotient = llNumerator / llDivisor, llRemainder = llNumerator % llDivisor;
    if (llQuotient * llDivisor + llRemainder != llNumerator || llRemainder > 0 || llRemainder <= -llDivisor)
        return 2;

#if defined(__x86_64__)
    const unsigned __int128 uWide = static_cast<unsigned __int128>(ullNumerator) << 64 | ullDivisor;
    if (uWide / ullDivisor != (static_cast<unsigned __int128>(ullNumerator) << 64) / ullDivisor + 1)
        return 3;
#endif

    if (SumOverThreePages() != 6)
        return 4;

    // The size of this array passes the address space: operator new[] gives
    // null, and no element may be constructed.
    CCounted* pItems = new CCounted[g_nTooMany];
    if (pItems != nullptr)
        return 5;
    if (g_nConstructed != 0)
        return 6;
    return 0;
}
