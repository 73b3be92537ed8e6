// The built quindle run as its users run it: a copy in a private folder (its
// preference files live beside it), on the test's X display, with a private
// runtime and temporary folder so that the instance lock and the hand-over
// socket are its own, and unattended so that no message box waits for a click
// (messages go to stderr, title changes to stdout).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/private_program.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"

namespace {

class QuindleProcess : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (scripts/test runs ctest under xvfb-run)";
        program = installPrivateCopy(dir, "quindle");
        ::setenv("QUINDLE_UNATTENDED", "1", 1);
        // The program's exit under the X display leaves allocations of the GL
        // driver and the session bus that LeakSanitizer cannot attribute (the
        // driver is unloaded by then); leaks of our own code are checked by the
        // in-process tests.
        ::setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
    }
    void TearDown() override {
        forgetPrivateRuntime();
        ::unsetenv("QUINDLE_UNATTENDED");
    }
    bool listening() const {
        return eventually([&] { return std::filesystem::exists(dir.path() / "tmp" / "plwin0"); }, 30000);
    }
    // Reads the first instance's lines until `wanted` (true) or the timeout.
    static bool seen(ChildProcess& p, const std::string& wanted, int timeoutMs = 20000) {
        for (std::string line; p.readLine(line, timeoutMs);) {
            if (line == wanted) return true;
        }
        return false;
    }

    TempDir dir;
    std::string program;
};

TEST_F(QuindleProcess, SecondLaunchHandsItsLogOverAndTheFirstKeepsItsDriveOnABadOne) {
    const std::string first = writeSampleLog(dir / "first.gpd", tianmaLog(2));
    const std::string second = writeSampleLog(dir / "second.gpd", tianmaLog(3, "Tianma"));
    ChildProcess viewer({program, first}, /*withStderr=*/true);
    ASSERT_TRUE(seen(viewer, "title: 天馬サーキット (3次元表示）"));
    ASSERT_TRUE(listening());

    const auto [handed, handedOut] = runToEnd({program, second}, true);
    EXPECT_EQ(handed, 0) << handedOut;
    EXPECT_TRUE(seen(viewer, "title: Tianma (3次元表示）")) << "the running viewer opens the handed-over log";

    // A log that cannot be opened is named with the reason; the drive stays (no new title).
    const auto [missing, missingOut] = runToEnd({program, dir / "gone.gpd"}, true);
    EXPECT_EQ(missing, 0) << missingOut;
    bool named = false;
    for (std::string line; !named && viewer.readLine(line, 20000);) {
        EXPECT_EQ(line.rfind("title:", 0), std::string::npos) << line;
        named = line.find("gone.gpd") != std::string::npos;
    }
    EXPECT_TRUE(named);

    const auto [warned, warning] = runToEnd({program}, true);
    EXPECT_EQ(warned, 0);
    EXPECT_NE(warning.find("すでにQuindleは起動しています。"), std::string::npos) << warning;

    // A path the 256-byte mailbox cannot hold is refused, not cut into another path.
    const std::string longPath = dir / (std::string(300, 'x') + ".gpd");
    const auto [refused, refusal] = runToEnd({program, longPath}, true);
    EXPECT_NE(refused, 0);
    EXPECT_NE(refusal.find("too long"), std::string::npos) << refusal;

    // SIGTERM ends it as the exit command does: both preference files beside the program.
    viewer.signal(SIGTERM);
    const int status = viewer.wait(30000);
    std::string rest;
    for (std::string line; viewer.readLine(line, 1000);) rest += line + "\n";
    EXPECT_EQ(status, 0) << rest;
    EXPECT_EQ(std::filesystem::file_size(dir / "quindle.pref"), 184u);
    EXPECT_EQ(std::filesystem::file_size(dir / "quindlew.pref"), 16u);
}

}  // namespace
