// The memory and string functions of the programs linked without the C
// runtime. This test program links them in place of the runtime's own, so
// GoogleTest runs on them too; the cases call them through pointers, which
// the compiler cannot replace with its own inline code.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/Memory.h"

namespace {

void* (*volatile g_pfnMemcpy)(void*, const void*, size_t)  = memcpy;
void* (*volatile g_pfnMemmove)(void*, const void*, size_t) = memmove;
void* (*volatile g_pfnMemset)(void*, int, size_t)          = memset;
int (*volatile g_pfnMemcmp)(const void*, const void*, size_t) = memcmp;
size_t (*volatile g_pfnStrlen)(const char*)                   = strlen;

const size_t SIZE = 80;

std::vector<unsigned char> Pattern(size_t cb, unsigned char bFirst)
{
    std::vector<unsigned char> bytes(cb);
    for (size_t i = 0; i < cb; ++i)
        bytes[i] = static_cast<unsigned char>(bFirst + i * 37);
    return bytes;
}

} // namespace

TEST(Runtime, CopiesAndFillsExactlyTheGivenBytes)
{
    for (size_t nOffset = 0; nOffset < 8; ++nOffset)
    {
        for (size_t cb = 0; cb < 40; ++cb)
        {
            std::vector<unsigned char> dest = Pattern(SIZE, 1), source = Pattern(SIZE, 200);
            std::vector<unsigned char> expected = dest;
            for (size_t i = 0; i < cb; ++i)
                expected[nOffset + i] = source[3 + i];
            EXPECT_EQ(&dest[nOffset], g_pfnMemcpy(&dest[nOffset], &source[3], cb));
            EXPECT_EQ(expected, dest) << "memcpy " << nOffset << " " << cb;

            for (size_t i = 0; i < cb; ++i)
                expected[nOffset + i] = 0xA5;
            EXPECT_EQ(&dest[nOffset], g_pfnMemset(&dest[nOffset], 0x1A5, cb)) << "only the low byte counts";
            EXPECT_EQ(expected, dest) << "memset " << nOffset << " " << cb;
        }
    }
}

TEST(Runtime, MovesOverlappingBytesBothWays)
{
    for (size_t nFrom = 0; nFrom < 12; ++nFrom)
    {
        for (size_t nTo = 0; nTo < 12; ++nTo)
        {
            for (size_t cb : {0, 1, 5, 31})
            {
                std::vector<unsigned char> bytes = Pattern(SIZE, 7), expected = bytes;
                for (size_t i = 0; i < cb; ++i)
                    expected[nTo + i] = bytes[nFrom + i];
                EXPECT_EQ(&bytes[nTo], g_pfnMemmove(&bytes[nTo], &bytes[nFrom], cb));
                EXPECT_EQ(expected, bytes) << nFrom << " to " << nTo << ", " << cb << " bytes";
            }
        }
    }
}

TEST(Runtime, ComparesBytesUnsignedAndMeasuresStrings)
{
    EXPECT_EQ(0, g_pfnMemcmp("abc", "abd", 0));
    EXPECT_EQ(0, g_pfnMemcmp("abc", "abd", 2));
    EXPECT_LT(g_pfnMemcmp("abc", "abd", 3), 0);
    EXPECT_GT(g_pfnMemcmp("abd", "abc", 3), 0);
    EXPECT_GT(g_pfnMemcmp("\x80", "\x7f", 1), 0) << "bytes compare as unsigned";
    EXPECT_EQ(0, g_pfnMemcmp("a\0b", "a\0b", 3)) << "a zero byte does not end the comparison";
    EXPECT_LT(g_pfnMemcmp("a\0b", "a\0c", 3), 0);

    EXPECT_EQ(0u, g_pfnStrlen(""));
    EXPECT_EQ(3u, g_pfnStrlen("abc\0def"));
    std::vector<char> text(300, 'x');
    text.back() = '\0';
    EXPECT_EQ(299u, g_pfnStrlen(text.data()));
}
