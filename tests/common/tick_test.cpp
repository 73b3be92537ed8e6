#include <gtest/gtest.h>

#include "platform/exe_directory.h"
#include "platform/tick.h"

namespace {

uint32_t fixedTick() { return 42; }

TEST(Tick, AdvancesWithSleepAndCanBeReplaced) {
    uint32_t a = platform::GetTickCount();
    platform::sleepMs(20);
    uint32_t b = platform::GetTickCount();
    EXPECT_GE(b - a, 15u);
    platform::setTickSourceForTests(fixedTick);
    EXPECT_EQ(platform::GetTickCount(), 42u);
    platform::setTickSourceForTests(nullptr);
    EXPECT_NE(platform::GetTickCount(), 42u);
}

TEST(ExeDirectory, EndsWithSlashAndCanBeOverridden) {
    const std::string real = platform::exeDirectory();
    ASSERT_FALSE(real.empty());
    EXPECT_EQ(real.back(), '/');
    platform::setExeDirectoryForTests("/tmp/x");
    EXPECT_EQ(platform::exeDirectory(), "/tmp/x/");
    platform::setExeDirectoryForTests("");
    EXPECT_EQ(platform::exeDirectory(), real);
}

}  // namespace
