// The bounded formatter behind every log line and composed path.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "services/Format.h"
#include "services/LogLine.h"

namespace {

std::string Format(size_t cbDest, const char* szFormat, ...)
{
    char buffer[64];
    memset(buffer, '#', sizeof(buffer));
    va_list args;
    va_start(args, szFormat);
    FormatBoundedV(buffer, cbDest, szFormat, args);
    va_end(args);
    for (size_t i = cbDest; i < sizeof(buffer); ++i)
        EXPECT_EQ('#', buffer[i]) << "written past the buffer at " << i;
    return buffer;
}

} // namespace

TEST(FormatBounded, ConversionsTheLauncherUses)
{
    EXPECT_EQ("[03/05/2026 09:04:03]", Format(64, "[%02d/%02d/%02d %02d:%02d:%02d]", 3, 5, 2026, 9, 4, 3));
    EXPECT_EQ("Match PID 1F4 Module a", Format(64, "Match PID %0X Module %s", 0x1f4, "a"));
    EXPECT_EQ("040904b0", Format(64, "%04x%04x", 0x409, 0x4b0));
    EXPECT_EQ("-2147483648 4294967295", Format(64, "%d %u", static_cast<int>(0x80000000u), 0xFFFFFFFFu));
    EXPECT_EQ("100% (null) x", Format(64, "100%% %s %c", static_cast<const char*>(nullptr), 'x'));
    EXPECT_EQ("[  ab] [-07]", Format(64, "[%4s] [%03d]", "ab", -7));
}

TEST(FormatBounded, UnknownConversionsAreTextAndTakeNoArgument)
{
    EXPECT_EQ("%n %p %q then ok", Format(64, "%n %p %q then %s", "ok"));
    EXPECT_EQ("trailing %", Format(64, "trailing %"));
}

TEST(FormatBounded, CutsAtTheBoundAndReportsTheWholeLength)
{
    char buffer[8];
    EXPECT_EQ(11u, FormatBounded(buffer, 8, "%s-%s", "hello", "world"));
    EXPECT_STREQ("hello-w", buffer);
    EXPECT_EQ("abc", Format(4, "%s", "abcdef"));
    EXPECT_EQ("", Format(1, "%d", 12345));
    EXPECT_EQ(5u, FormatBounded(nullptr, 0, "%d", 12345)) << "a size query writes nothing";
}

TEST(LogLine, StampThenMessageAsText)
{
    char          szLine[LOG_BUFFER_SIZE];
    const LogTime time = {3, 5, 2026, 9, 4, 3};
    FormatLogLine(szLine, time, "50% of %s done\n");
    EXPECT_STREQ("[03/05/2026 09:04:03] - 50% of %s done\n", szLine);

    std::string huge(2000, 'y');
    FormatLogLine(szLine, time, huge.c_str());
    EXPECT_EQ(LOG_BUFFER_SIZE - 1, strlen(szLine));
    EXPECT_EQ('\n', szLine[LOG_BUFFER_SIZE - 2]) << "a cut line keeps its line end";
}
