// Bounded string copy.
#include <gtest/gtest.h>

#include <string.h>

#include "services/Bounded.h"

TEST(CopyStringBounded, FitsCutsAndRefuses)
{
    char buffer[8];
    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(BOUNDED_S_OK, CopyStringBounded(buffer, 4, "abc"));
    EXPECT_STREQ("abc", buffer);

    memset(buffer, '#', sizeof(buffer));
    EXPECT_EQ(BOUNDED_E_INSUFFICIENT_BUFFER, CopyStringBounded(buffer, 4, "abcd"));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ('#', buffer[4]) << "nothing past the capacity";

    EXPECT_EQ(BOUNDED_S_OK, CopyStringBounded(buffer, 1, ""));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(BOUNDED_E_INSUFFICIENT_BUFFER, CopyStringBounded(buffer, 1, "a"));
    EXPECT_STREQ("", buffer);

    memcpy(buffer, "keep", 5);
    EXPECT_EQ(BOUNDED_E_INVALIDARG, CopyStringBounded(buffer, 0, "x"));
    EXPECT_EQ(BOUNDED_E_INVALIDARG, CopyStringBounded(buffer, 0x80000000u, "x"));
    EXPECT_STREQ("keep", buffer);
}
