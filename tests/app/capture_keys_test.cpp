// The built velmora on an X server without a window manager (a kiosk car PC),
// driven only by keys as typed: nobody but the program itself can give its
// windows the keyboard.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "capture/timing/capture_settings.h"
#include "common/records.h"
#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/private_program.h"
#include "tests/support/private_x_server.h"
#include "tests/support/temp_dir.h"

namespace {

// A sanitized build starting while the rest of the suite runs on two cores
// can take its time to show its window.
constexpr int STARTUP_MS = 60000;

// What the program printed so far, for a failure message.
std::string said(ChildProcess& p) {
    std::string text;
    for (std::string line; p.readLine(line, 200);) text += line + "\n";
    return text;
}

// velmora.pref beside the copy, the GPS port on `port`, no voice.
void writeSettings(const TempDir& dir, const std::string& port) {
    CaptureSettings s;
    s.soundGuidance = 0;
    SerialPort ports[2] = {closedSerialPort("COM1", 38400), closedSerialPort("COM2", 9600)};
    std::snprintf(ports[0].portName, sizeof ports[0].portName, "%s", port.c_str());
    std::string bytes(reinterpret_cast<const char*>(&s), sizeof s);
    bytes.append(reinterpret_cast<const char*>(ports), sizeof ports);
    writeFile(dir / "velmora.pref", bytes.data(), bytes.size());
}

TEST(VelmoraKeys, CtrlPAndReturnNameTheCourseAndStartTheMeasurementWithoutAWindowManager) {
    PrivateXServer x;
    if (x.display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    TempDir dir;
    const std::string program = installPrivateCopy(dir, "velmora");
    // The simulator gives up (status 1) unless a reader opens its port: the measurement ran.
    ChildProcess sim({std::string(BIN_DIR) + "/gps-sim", "loop", "--circle", "43.8,-88.0,40", "--speed", "36",
                      "--laps", "1", "--rate", "10", "--speedup", "8", "--open-timeout", "60"});
    std::string port;
    ASSERT_TRUE(sim.readLine(port, 20000)) << "gps-sim printed no device";
    writeSettings(dir, port);
    ::setenv("DISPLAY", x.display().c_str(), 1);  // this process opens no window itself
    ::setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
    ChildProcess velmora({program}, /*withStderr=*/true);
    ASSERT_TRUE(x.shows("Velmora", STARTUP_MS)) << x.titles() << said(velmora);

    x.xdotool("key ctrl+p");  // 計測開始 on a course without a name asks for one
    ASSERT_TRUE(x.shows("コース名の設定")) << "Ctrl+P did not reach the frame: " << x.titles();
    x.xdotool("key Return");  // the proposed name, the loop type
    EXPECT_TRUE(x.shows("Velmora (ループ：トラック1)")) << "Return did not reach the dialog: " << x.titles();
    EXPECT_EQ(sim.wait(120000), 0) << "the GPS port was never opened";

    velmora.signal(SIGTERM);
    EXPECT_EQ(velmora.wait(30000), 0);
    forgetPrivateRuntime();
}

// The error box about a handed-over course stays open longer than the second
// launch waits; closing it afterwards must leave the program running.
TEST(VelmoraKeys, AnErrorBoxThatOutlivesTheSecondLaunchLeavesTheProgramRunning) {
    PrivateXServer x;
    if (x.display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    TempDir dir;
    const std::string program = installPrivateCopy(dir, "velmora");
    writeSettings(dir, "/dev/null");
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);
    ChildProcess velmora({program}, /*withStderr=*/true);
    ASSERT_TRUE(x.shows("Velmora", STARTUP_MS)) << x.titles() << said(velmora);
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(dir.path() / "tmp" / "VELMORA"); }, 30000));
    runToEnd({program, dir / "missing.gps"}, true);  // returns after its wait, the box still open
    ASSERT_TRUE(x.shows("エラー")) << x.titles();
    x.xdotool("key Return");
    EXPECT_TRUE(eventually([&] { return x.titles() == "Velmora\n"; }, 20000)) << x.titles();
    velmora.signal(SIGTERM);
    EXPECT_EQ(velmora.wait(30000), 0) << "the program did not survive the box";
    forgetPrivateRuntime();
}

}  // namespace
