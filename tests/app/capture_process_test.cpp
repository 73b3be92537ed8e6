// The built velmora program run as its users run it: a copy in a private
// folder (its settings and logs live beside it), offscreen, with a private
// runtime and temporary folder so that the instance lock and the hand-over
// socket are its own, and unattended so that no message box waits for a
// click (messages go to stderr; title and lap display changes to stdout).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <sstream>
#include <unistd.h>
#include <thread>

#include "capture/timing/capture_settings.h"
#include "common/records.h"
#include "tests/support/child_process.h"
#include "tests/support/drive_log_file.h"
#include "tests/support/eventually.h"
#include "tests/support/private_program.h"
#include "tests/support/private_x_server.h"
#include "tests/support/pty.h"
#include "tests/support/recorded_drive.h"
#include "tests/support/temp_dir.h"

namespace {

class VelmoraProcess : public ::testing::Test {
protected:
    void SetUp() override {
        program = installPrivateCopy(dir, "velmora");
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("VELMORA_UNATTENDED", "1", 1);
    }
    void TearDown() override {
        forgetPrivateRuntime();
        ::unsetenv("VELMORA_UNATTENDED");
    }

    std::string writeCourse(const std::string& file, const char* name, double lat = 35.0, double lon = 139.0) {
        Course c;
        c.pointCount = 1;
        c.points[0].latitude = lat;
        c.points[0].longitude = lon;
        std::snprintf(c.name, sizeof c.name, "%s", name);
        const std::string path = dir / file;
        writeFile(path, &c, sizeof c);
        return path;
    }
    // gps-sim driving three laps of a 40 m circle at 36 km/h, twice real
    // speed, 10 fixes a second, and velmora.pref on its port (100 ms
    // sampling); returns the course file with its point on the circle's east.
    // 25 s laps, 12.6 s at twice the speed: longer than the 10 s a point is
    // held after a pass, so the east point is passed three times.
    static constexpr double CIRCLE_LAT = 43.8, CIRCLE_LON = -88.0, CIRCLE_RADIUS_M = 40.0;
    std::string simPort;  // the device gps-sim drives
    std::string startCircleDrive(std::unique_ptr<ChildProcess>& sim) {
        const double pointLon =
            CIRCLE_LON + CIRCLE_RADIUS_M / (111320.0 * std::cos(CIRCLE_LAT * std::numbers::pi / 180.0));
        char centre[96], point[64];
        std::snprintf(centre, sizeof centre, "%.8f,%.8f,%.1f", CIRCLE_LAT, CIRCLE_LON, CIRCLE_RADIUS_M);
        std::snprintf(point, sizeof point, "%.8f,%.8f", CIRCLE_LAT, pointLon);
        sim = std::make_unique<ChildProcess>(std::vector<std::string>{
            std::string(BIN_DIR) + "/gps-sim", "loop", "--circle", centre, "--speed", "36", "--laps", "3", "--rate",
            "10", "--speedup", "2", "--point", point, "--truth", dir / "truth.txt", "--open-timeout", "30"});
        EXPECT_TRUE(sim->readLine(simPort, 20000)) << "gps-sim printed no device";
        writeSettings(simPort, 100);
        return writeCourse("circle.gps", "circle", CIRCLE_LAT, pointLon);
    }
    // velmora.pref beside the copy: autoStart on, the GPS port on `port`.
    void writeSettings(const std::string& port, int32_t samplingPeriodMs = 1000) {
        CaptureSettings s;
        s.autoStart = 1;
        s.soundGuidance = 0;
        s.samplingPeriodMs = samplingPeriodMs;
        SerialPort ports[2] = {closedSerialPort("COM1", 38400), closedSerialPort("COM2", 9600)};
        std::snprintf(ports[0].portName, sizeof ports[0].portName, "%s", port.c_str());
        std::string bytes(reinterpret_cast<const char*>(&s), sizeof s);
        bytes.append(reinterpret_cast<const char*>(ports), sizeof ports);
        writeFile(dir / "velmora.pref", bytes.data(), bytes.size());
    }
    // The running instance is ready for a hand-over once its socket exists.
    bool listening() const {
        return eventually([&] { return std::filesystem::exists(dir.path() / "tmp" / "VELMORA"); }, 30000);
    }
    // Lines the first instance printed until `until` appears (or the timeout).
    std::vector<std::string> linesUntil(ChildProcess& p, const std::string& until, int timeoutMs) {
        std::vector<std::string> lines;
        for (std::string line; p.readLine(line, timeoutMs);) {
            lines.push_back(line);
            if (line == until) break;
        }
        return lines;
    }
    static bool has(const std::vector<std::string>& lines, const std::string& wanted) {
        return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    }

    TempDir dir;
    std::string program;
};

TEST_F(VelmoraProcess, SecondLaunchHandsItsCourseOverOrWarnsAndExits) {
    const std::string course = writeCourse("hand.gps", "hand");
    ChildProcess first({program});
    ASSERT_TRUE(listening());

    const auto [handed, handedOut] = runToEnd({program, course}, true);
    EXPECT_EQ(handed, 0) << handedOut;
    EXPECT_TRUE(has(linesUntil(first, "title: Velmora (ループ：hand)", 20000), "title: Velmora (ループ：hand)"))
        << "the running instance loads the handed-over course";

    const auto [warned, warning] = runToEnd({program}, true);
    EXPECT_EQ(warned, 0);
    EXPECT_NE(warning.find("すでにVelmoraは起動しています。"), std::string::npos) << warning;

    // A path the 256-byte mailbox cannot hold is refused, not cut into another path.
    const std::string longPath = dir / (std::string(300, 'x') + ".gps");
    const auto [refused, refusal] = runToEnd({program, longPath}, true);
    EXPECT_NE(refused, 0);
    EXPECT_NE(refusal.find("too long"), std::string::npos) << refusal;

    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(30000), 0);
    const std::vector<std::string> rest = linesUntil(first, "", 1000);
    for (const std::string& line : rest) EXPECT_EQ(line.find("title:"), std::string::npos) << line;
}

TEST_F(VelmoraProcess, HandOverIsIgnoredWhileMeasuring) {
    Pty gps;
    ASSERT_TRUE(gps.ok());
    writeSettings(gps.path());
    const std::string running = writeCourse("running.gps", "running");
    const std::string other = writeCourse("other.gps", "other");
    ChildProcess first({program, running});
    ASSERT_TRUE(listening());
    const auto [handed, out] = runToEnd({program, other}, true);
    EXPECT_EQ(handed, 0) << out;
    first.signal(SIGHUP);  // a closed terminal ends the program in order, as SIGTERM does
    EXPECT_EQ(first.wait(30000), 0);
    const std::vector<std::string> lines = linesUntil(first, "", 1000);
    EXPECT_TRUE(has(lines, "title: Velmora (ループ：running)"));
    EXPECT_TRUE(has(lines, "panel 1016: 0")) << "autoStart began measuring";
    EXPECT_FALSE(has(lines, "title: Velmora (ループ：other)")) << "a run is never disturbed";
}

// gps-sim drives three laps of a small circle at twice real speed; velmora,
// started with a course on the circle and autoStart, counts the passes, is
// ended with SIGTERM and leaves a drive log gpdtool reads and its settings.
TEST_F(VelmoraProcess, SimulatedLapsAreCountedAndTheRunIsWrittenAtSigterm) {
    constexpr double SPEEDUP = 2.0, RATE_HZ = 10.0;
    std::unique_ptr<ChildProcess> simProcess;
    const std::string course = startCircleDrive(simProcess);
    ChildProcess& sim = *simProcess;
    const auto prefBefore = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(dir / "velmora.pref", prefBefore);
    ChildProcess velmora({program, course});
    ASSERT_EQ(sim.wait(120000), 0) << "gps-sim did not finish";
    velmora.signal(SIGTERM);
    ASSERT_EQ(velmora.wait(30000), 0);

    // The panel's last lap display against the simulator's truth.
    std::string count, time;
    for (const std::string& line : linesUntil(velmora, "", 1000)) {
        if (line.rfind("panel 1016: ", 0) == 0) count = line.substr(12);
        if (line.rfind("panel 1017: ", 0) == 0) time = line.substr(12);
    }
    EXPECT_EQ(count, "2");
    const std::vector<double> passes = truthPassSeconds(dir / "truth.txt");
    ASSERT_EQ(passes.size(), 3u);
    int h = 0, m = 0, s = 0, t = 0;
    ASSERT_EQ(std::sscanf(time.c_str(), "%d : %d : %d : %d", &h, &m, &s, &t), 4) << time;
    const double shownS = h * 3600.0 + m * 60.0 + s + t / 30.0;
    const double fixIntervalS = 1.0 / (RATE_HZ * SPEEDUP);
    EXPECT_NEAR(shownS, passes[2] - passes[1], fixIntervalS + 1.0 / 30.0) << time;

    // The drive log, as the viewer's tools read it.
    std::vector<std::string> logs;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / "log"))
        if (e.path().extension() == ".gpd") logs.push_back(e.path().string());
    ASSERT_EQ(logs.size(), 1u);
    const auto [status, table] = runToEnd({std::string(BIN_DIR) + "/gpdtool", "laps", logs[0], "--csv"});
    ASSERT_EQ(status, 0) << table;
    EXPECT_GE(std::count(table.begin(), table.end(), '\n'), 3) << "a header and the laps: " << table;

    // The settings were written again at the end, holding what the run used.
    EXPECT_GT(std::filesystem::last_write_time(dir / "velmora.pref"), prefBefore);
    const std::string pref = readFile(dir / "velmora.pref");
    ASSERT_EQ(pref.size(), static_cast<size_t>(SETTINGS_FILE_BYTES));
    CaptureSettings saved;
    SerialPort gps;
    std::memcpy(&saved, pref.data(), sizeof saved);
    std::memcpy(&gps, pref.data() + sizeof saved, sizeof gps);
    EXPECT_EQ(saved.autoStart, 1);
    EXPECT_EQ(saved.samplingPeriodMs, 100);
    EXPECT_EQ(std::string(gps.portName), simPort);
}

// A laptop shutting down sends SIGTERM: velmora ends within 5 s without any
// question, even with a dialog open and a course that was never saved, and
// leaves the drive log, the settings and the course (under a new name beside
// the program, the driver's file untouched). Keys reach it through the X
// server, so this runs under Xvfb only.
TEST_F(VelmoraProcess, SigtermWithAnUnsavedCourseAndADialogOpenEndsAtOnceWritingEverything) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0' || !std::filesystem::exists("/usr/bin/xdotool"))
        GTEST_SKIP() << "needs an X display (xvfb-run) and xdotool";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    // The X platform's desktop libraries keep their caches to the end.
    writeFile(dir / "lsan.supp", "leak:libdbus\nleak:libfontconfig\nleak:libxcb\n", 44);
    ::setenv("LSAN_OPTIONS", ("suppressions=" + (dir / "lsan.supp")).c_str(), 1);
    Pty gps;
    ASSERT_TRUE(gps.ok());
    writeSettings(gps.path(), 100);
    Course open;
    open.courseType = 1;  // an open course: a second point can be added while measuring
    open.pointCount = 1;
    open.points[0].latitude = 35.0;
    open.points[0].longitude = 139.0;
    std::snprintf(open.name, sizeof open.name, "%s", "mine");
    const std::string course = dir / "mine.gps";
    writeFile(course, &open, sizeof open);
    const std::string driverCourse = readFile(course);

    ChildProcess velmora({program, course}, /*withStderr=*/true);
    ::unsetenv("LSAN_OPTIONS");
    std::vector<std::string> lines = linesUntil(velmora, "panel 1016: 0", 30000);
    ASSERT_TRUE(has(lines, "panel 1016: 0")) << "autoStart began measuring";
    const std::string fix = "$GPGGA,030000.00,3500.0000,N,13900.0000,E,1,08,0.9,50.0,M,,M,,*";
    unsigned sum = 0;
    for (char ch : fix.substr(1, fix.size() - 2)) sum ^= static_cast<unsigned char>(ch);
    char line[128];
    std::snprintf(line, sizeof line, "%s%02X\r\n", fix.c_str(), sum);
    const auto drive = [&](int ms) {
        for (int t = 0; t < ms; t += 50) {
            gps.write(line);
            ::usleep(50000);
        }
    };
    drive(1000);  // point 1 passed, samples recorded
    // Space adds point 2 at the next fix: the course now differs from its file.
    const std::string window = std::to_string(velmora.pid());
    const auto [found, ids] = runToEnd({"/usr/bin/xdotool", "search", "--sync", "--onlyvisible", "--pid", window});
    ASSERT_EQ(found, 0) << ids;
    const std::string id = ids.substr(0, ids.find('\n'));
    ASSERT_EQ(runToEnd({"/usr/bin/xdotool", "windowfocus", "--sync", id, "key", "space"}).first, 0);
    drive(500);
    // The About box stays open while the signal comes.
    ASSERT_EQ(runToEnd({"/usr/bin/xdotool", "key", "alt+slash"}).first, 0);
    ::usleep(500000);

    const auto signalled = std::chrono::steady_clock::now();
    velmora.signal(SIGTERM);
    const int status = velmora.wait(5000);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
    for (std::string rest; velmora.readLine(rest, 1000);) lines.push_back(rest);
    std::string output;
    for (const std::string& l : lines) output += l + "\n";
    ASSERT_EQ(status, 0) << "ended within 5 s\n" << output;

    std::vector<std::filesystem::path> logs, kept;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / "log"))
        if (e.path().extension() == ".gpd") logs.push_back(e.path());
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().rfind("unsaved-course-", 0) == 0) kept.push_back(e.path());
    EXPECT_EQ(logs.size(), 1u) << "the drive log of the run";
    ASSERT_EQ(kept.size(), 1u) << "the unsaved course beside the program";
    const std::string image = readFile(kept[0]);
    ASSERT_EQ(image.size(), sizeof(Course));
    Course saved;
    std::memcpy(&saved, image.data(), sizeof saved);
    EXPECT_EQ(saved.pointCount, 2) << "with the point added by Space";
    EXPECT_STREQ(saved.name, "mine");
    EXPECT_EQ(readFile(course), driverCourse) << "the driver's own file is left as it was";
    const bool told = std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.find(kept[0].string()) != std::string::npos;
    });
    EXPECT_TRUE(told) << "stderr names the file";
    EXPECT_TRUE(std::filesystem::exists(dir / "velmora.pref"));
}

// velmora killed with SIGKILL after a lap: the next start turns the run's
// journal into a drive log and names it; the passes before the kill are
// there, and the samples up to at most a second (and a period) before it.
TEST_F(VelmoraProcess, RunKilledMidwayIsRecoveredAndNamedAtTheNextStart) {
    std::unique_ptr<ChildProcess> sim;
    ChildProcess velmora({program, startCircleDrive(sim)});
    const std::vector<std::string> before = linesUntil(velmora, "panel 1016: 1", 60000);
    ASSERT_TRUE(has(before, "panel 1016: 1")) << "one lap before the kill";
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const auto killed = std::chrono::steady_clock::now();
    velmora.signal(SIGKILL);
    ASSERT_EQ(velmora.wait(10000), 128 + SIGKILL);

    // The recovered file's name follows the message, on its own line.
    ChildProcess next({program});
    std::string line, recovered, said;
    for (bool told = false; recovered.empty() && next.readLine(line, 30000);) {
        said += line + "\n";
        if (told) recovered = line;
        told = line.find("走行ログを復元しました") != std::string::npos;
    }
    next.signal(SIGTERM);
    EXPECT_EQ(next.wait(30000), 0);
    ASSERT_FALSE(recovered.empty()) << "the driver is told:\n" << said;
    const DriveLogFile log = readDriveLogFile(recovered);
    ASSERT_TRUE(log.whole) << recovered;
    EXPECT_GE(log.passes.passCount, 2);
    const LogSample first = log.samples.front(), last = log.samples.back();
    const auto n = static_cast<int32_t>(log.samples.size());
    // Ticks are the monotonic clock in milliseconds, the same in every process.
    const auto killMs = static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(killed.time_since_epoch()).count());
    EXPECT_LE(static_cast<int32_t>(last.tick - killMs), 0);
    EXPECT_GE(static_cast<int32_t>(last.tick - killMs), -(1000 + 100 + 200)) << "at most a second lost";
    EXPECT_GE(n, static_cast<int32_t>((last.tick - first.tick) / 100)) << "no sample missing in between";
}


// The X server goes away mid-run (a display unplugged, the session's server
// killed): Qt ends the program at once, and the run, the settings and no
// question in between are still written on the way out.
TEST_F(VelmoraProcess, XServerGoneMidRunStillWritesTheRunAndTheSettings) {
    auto x = std::make_unique<PrivateXServer>();
    if (x->display().empty()) GTEST_SKIP() << "needs Xvfb and xdotool (scripts/setup installs them)";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("DISPLAY", x->display().c_str(), 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);  // Qt's X caches stay to the end
    std::unique_ptr<ChildProcess> sim;
    const std::string course = startCircleDrive(sim);
    std::filesystem::remove(dir / "velmora.pref");
    writeSettings(simPort, 100);
    const auto prefBefore = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(dir / "velmora.pref", prefBefore);
    ChildProcess velmora({program, course}, /*withStderr=*/true);
    const std::vector<std::string> before = linesUntil(velmora, "panel 1016: 1", 60000);
    ASSERT_TRUE(has(before, "panel 1016: 1")) << "one lap before the X server goes";
    x.reset();
    EXPECT_EQ(velmora.wait(30000), 1) << "Qt's own end on a lost display";

    std::vector<std::filesystem::path> logs;
    for (const auto& e : std::filesystem::directory_iterator(dir.path() / "log")) logs.push_back(e.path());
    ASSERT_EQ(logs.size(), 1u) << "the drive log and no journal left";
    EXPECT_EQ(logs[0].extension(), ".gpd");
    const DriveLogFile log = readDriveLogFile(logs[0]);
    ASSERT_TRUE(log.whole) << logs[0];
    EXPECT_GE(log.passes.passCount, 2);
    EXPECT_GT(std::filesystem::last_write_time(dir / "velmora.pref"), prefBefore) << "settings written";
}

}  // namespace
