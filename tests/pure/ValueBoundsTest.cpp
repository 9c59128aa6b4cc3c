// The bounds of the registry and settings reads.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "services/Bounded.h"

TEST(RegistryCopyCount, KeepsOneByteBelowTheCapacityFree)
{
    // Value sizes count the terminator: 258 characters are 259 bytes.
    EXPECT_EQ(259u, RegistryCopyCount(259, 260)) << "258 characters arrive whole";
    EXPECT_EQ(259u, RegistryCopyCount(260, 260)) << "259 characters arrive as 258";
    EXPECT_EQ(259u, RegistryCopyCount(301, 260));
    EXPECT_EQ(1u, RegistryCopyCount(1, 260));
    EXPECT_EQ(0u, RegistryCopyCount(0, 260));
    EXPECT_EQ(1u, RegistryCopyCount(300, 2));
    EXPECT_EQ(0u, RegistryCopyCount(300, 1)) << "no room for anything";
    EXPECT_EQ(0u, RegistryCopyCount(300, 0)) << "no wrap below zero";
    EXPECT_EQ(0xFFFFFFFEu, RegistryCopyCount(0xFFFFFFFFu, 0xFFFFFFFFu));
}

namespace {

struct Handed
{
    int         bResult;
    uint32_t    nCapacity;
    std::string buffer; // the caller's buffer, all of it
};

// Hands szValue through a zero-filled work buffer of cbWork bytes into a
// 400-byte caller buffer filled with '#', whose capacity is nCapacity.
Handed Hand(const std::string& value, uint32_t nCapacity, uint32_t cbWork = SETTINGS_WORK_SIZE)
{
    std::string work(cbWork, '\0');
    memcpy(&work[0], value.data(), value.size() < cbWork ? value.size() : cbWork);
    char buffer[400];
    memset(buffer, '#', sizeof(buffer));
    Handed handed;
    handed.nCapacity = nCapacity;
    handed.bResult   = CopyProfileValue(work.data(), cbWork, buffer, &handed.nCapacity);
    handed.buffer.assign(buffer, sizeof(buffer));
    return handed;
}

} // namespace

TEST(CopyProfileValue, ValuesThatFitArriveWithZeroBytesUpToTheCapacity)
{
    const Handed shortValue = Hand("abc", 260);
    EXPECT_EQ(1, shortValue.bResult);
    EXPECT_EQ(260u, shortValue.nCapacity);
    EXPECT_EQ("abc" + std::string(257, '\0') + std::string(140, '#'), shortValue.buffer);

    const Handed longest = Hand(std::string(259, 'v'), 260);
    EXPECT_EQ(1, longest.bResult);
    EXPECT_EQ(260u, longest.nCapacity);
    EXPECT_EQ(std::string(259, 'v') + '\0' + std::string(140, '#'), longest.buffer);

    // A capacity larger than the work buffer copies the work buffer only.
    const Handed wide = Hand("xy", 300, 8);
    EXPECT_EQ(1, wide.bResult);
    EXPECT_EQ("xy" + std::string(6, '\0') + std::string(392, '#'), wide.buffer);
}

TEST(CopyProfileValue, ValuesThatDoNotFitGiveTheirLengthAndACutTerminatedCopy)
{
    for (size_t nLength : {260u, 261u, 300u, 399u})
    {
        const Handed cut = Hand(std::string(nLength, 'w'), 260);
        EXPECT_EQ(0, cut.bResult) << nLength;
        EXPECT_EQ(nLength, cut.nCapacity);
        EXPECT_EQ(std::string(259, 'w') + '\0' + std::string(140, '#'), cut.buffer) << nLength;
    }

    // A value that fills the whole work buffer has no terminator there.
    const Handed full = Hand(std::string(16, 'f'), 4, 16);
    EXPECT_EQ(0, full.bResult);
    EXPECT_EQ(16u, full.nCapacity);
    EXPECT_EQ(std::string("fff") + '\0' + std::string(396, '#'), full.buffer);

    // No capacity at all: nothing is written, the length is reported.
    const Handed none = Hand("abc", 0);
    EXPECT_EQ(0, none.bResult);
    EXPECT_EQ(3u, none.nCapacity);
    EXPECT_EQ(std::string(400, '#'), none.buffer);
}
