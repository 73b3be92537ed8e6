// The built quindle run as its users run it: a copy in a private folder (its
// preference files live beside it), on the test's X display, with a private
// runtime and temporary folder so that the instance lock and the hand-over
// socket are its own, and unattended so that no message box waits for a click
// (messages go to stderr, title changes to stdout).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/private_program.h"
#include "tests/support/private_x_server.h"
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

    static bool seenContaining(ChildProcess& p, const std::string& part, int timeoutMs = 20000) {
        for (std::string line; p.readLine(line, timeoutMs);) {
            if (line.find(part) != std::string::npos) return true;
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

    // A relative path means the second launch's folder, not the running viewer's.
    std::filesystem::create_directories(dir.path() / "elsewhere");
    writeSampleLog(dir / "elsewhere/relative.gpd", tianmaLog(3, "Relative"));
    const auto [relative, relativeOut] =
        runToEnd({"/bin/sh", "-c", "cd '" + dir / "elsewhere" + "' && exec '" + program + "' relative.gpd"}, true);
    EXPECT_EQ(relative, 0) << relativeOut;
    EXPECT_TRUE(seen(viewer, "title: Relative (3次元表示）"));

    // Damaged copies: a position that is not a number is left out and told; a
    // size that does not fit the sample count is refused with the reason.
    samplelog::BuiltDriveLog damaged = tianmaLog(3, "Damaged");
    damaged.samples[damaged.samples.size() / 2].latitude = std::nan("");
    writeSampleLog(dir / "nan.gpd", damaged);
    EXPECT_EQ(runToEnd({program, dir / "nan.gpd"}, true).first, 0);
    EXPECT_TRUE(seen(viewer, "title: Damaged (3次元表示）"));
    EXPECT_TRUE(seenContaining(viewer, "サンプル 1 個を除外しました。"));
    std::string bytes = samplelog::driveLogBytes(damaged);
    bytes.resize(bytes.size() - 40 * 3);
    EXPECT_EQ(writeFileAtomically(dir / "short.gpd", bytes).status, FileWriteStatus::WRITTEN);
    EXPECT_EQ(runToEnd({program, dir / "short.gpd"}, true).first, 0);
    EXPECT_TRUE(seenContaining(viewer, "ファイルの大きさがサンプル数と合いません。"));

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

// Without a window manager nobody hands the keyboard on: the frame must take
// it when shown, the About box (Alt+? as typed, with Shift) when it opens,
// and the frame again once the box closes.
TEST_F(QuindleProcess, WithoutAWindowManagerKeysReachTheFrameAndTheAboutBoxInTurn) {
    PrivateXServer x;
    if (x.display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    const std::string log = writeSampleLog(dir / "first.gpd", tianmaLog(2));
    std::filesystem::create_directory(dir / "quindle.pref");  // no preference file can be written there
    const std::string testDisplay = std::getenv("DISPLAY");
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ChildProcess viewer({program, log}, /*withStderr=*/true);
    ::setenv("DISPLAY", testDisplay.c_str(), 1);
    ASSERT_TRUE(seen(viewer, "title: 天馬サーキット (3次元表示）"));
    ASSERT_TRUE(x.shows("天馬サーキット (3次元表示）"));
    x.xdotool("key F2");
    EXPECT_TRUE(seen(viewer, "title: 天馬サーキット (2次元表示）")) << "no key reached the frame";
    x.xdotool("key alt+question");
    ASSERT_TRUE(x.shows("バージョン情報")) << "Alt+? opened no About box";
    x.xdotool("key Return");
    EXPECT_TRUE(eventually([&] { return x.titles().find("バージョン情報") == std::string::npos; }, 20000))
        << "Return did not reach the About box";
    x.xdotool("key F1");
    EXPECT_TRUE(seen(viewer, "title: 天馬サーキット (3次元表示）")) << "the frame did not get the keys back";
    viewer.signal(SIGTERM);
    EXPECT_TRUE(seenContaining(viewer, "quindle.pref")) << "a preference write that failed at exit is told";
    EXPECT_EQ(viewer.wait(30000), 0);
}

// The viewer's error box about a handed-over log stays open longer than the
// second launch waits; closing it afterwards must leave the viewer running.
TEST_F(QuindleProcess, AnErrorBoxThatOutlivesTheSecondLaunchLeavesTheViewerRunning) {
    PrivateXServer x;
    if (x.display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    ::unsetenv("QUINDLE_UNATTENDED");  // the real box, closed by a key
    const std::string testDisplay = std::getenv("DISPLAY");
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ChildProcess viewer({program, writeSampleLog(dir / "first.gpd", tianmaLog(2))}, /*withStderr=*/true);
    ASSERT_TRUE(x.shows("天馬サーキット (3次元表示）"));
    ASSERT_TRUE(listening());
    const int handed = runToEnd({program, dir / "damaged.gpd"}, true).first;  // gives up after its wait
    EXPECT_NE(handed, 0);
    ASSERT_TRUE(x.shows("エラー"));
    x.xdotool("key Return");
    writeSampleLog(dir / "second.gpd", tianmaLog(3, "Tianma"));
    EXPECT_EQ(runToEnd({program, dir / "second.gpd"}, true).first, 0) << "the viewer no longer answers";
    EXPECT_TRUE(x.shows("Tianma (3次元表示）"));
    ::setenv("DISPLAY", testDisplay.c_str(), 1);
    viewer.signal(SIGTERM);
    EXPECT_EQ(viewer.wait(30000), 0);
}


// The X server goes away under the viewer: Qt ends it at once, and the view
// chosen by key (the 2D view, mode 1 in the file) is still written on the way out.
TEST_F(QuindleProcess, XServerGoneStillWritesTheViewPreferences) {
    auto x = std::make_unique<PrivateXServer>();
    if (x->display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    const std::string log = writeSampleLog(dir / "first.gpd", tianmaLog(2));
    const std::string testDisplay = std::getenv("DISPLAY");
    ::setenv("DISPLAY", x->display().c_str(), 1);
    ChildProcess viewer({program, log}, /*withStderr=*/true);
    ::setenv("DISPLAY", testDisplay.c_str(), 1);
    ASSERT_TRUE(x->shows("天馬サーキット (3次元表示）"));
    x->xdotool("key F2");
    ASSERT_TRUE(seen(viewer, "title: 天馬サーキット (2次元表示）"));
    EXPECT_FALSE(std::filesystem::exists(dir / "quindle.pref"));
    x.reset();
    EXPECT_EQ(viewer.wait(30000), 1) << "Qt's own end on a lost display";
    const std::string pref = readFile(dir / "quindle.pref");
    ASSERT_EQ(pref.size(), 184u);
    int32_t mode = -1;
    std::memcpy(&mode, pref.data(), sizeof mode);
    EXPECT_EQ(mode, 1);
}

}  // namespace
