// velmora-record's failures name the file or port and the system's reason.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/pty.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string RECORDER = BIN_DIR "/velmora-record";

TEST(VelmoraRecord, FailuresSayWhichFileOrPortAndWhy) {
    TempDir dir;
    const std::string course = dir / "c.gps";
    ASSERT_EQ(runToEnd({RECORDER, "--make-course", course, "--point", "35,139"}).first, 0);

    const auto [unwritable, why] =
        runToEnd({RECORDER, "--make-course", dir / "missing/c.gps", "--point", "35,139"}, true);
    EXPECT_EQ(unwritable, 1);
    EXPECT_NE(why.find(dir / "missing/c.gps"), std::string::npos) << why;
    EXPECT_NE(why.find("No such file or directory"), std::string::npos) << why;

    // The reason is the port's own, taken when the open failed.
    const auto [noPort, said] = runToEnd(
        {RECORDER, "--port", "/dev/no-such-gps-port", "--log-dir", dir / "log", course}, true);
    EXPECT_EQ(noPort, 1);
    EXPECT_NE(said.find("cannot open the GPS port /dev/no-such-gps-port: No such file or directory"),
              std::string::npos)
        << said;
}

// A run ends on SIGHUP (a closed terminal) as on Ctrl-C; a log folder that
// cannot be written is told at the start, and the run then goes to the home
// folder, which the terminal names. Without a counted pass the end says so.
TEST(VelmoraRecord, EveryEndingSignalWritesTheRunAndAnUnwritableFolderIsToldFirst) {
    struct Case {
        int signal;
        bool blockedFolder;
        bool passed;
    };
    for (const Case c : {Case{SIGHUP, false, true}, Case{SIGTERM, true, true}, Case{SIGINT, false, false}}) {
        SCOPED_TRACE("signal " + std::to_string(c.signal));
        TempDir dir;
        const std::string course = dir / "c.gps";
        ASSERT_EQ(runToEnd({RECORDER, "--make-course", course, "--point", c.passed ? "35,139" : "36,139"}).first, 0);
        std::ofstream(dir / "blocked") << "not a folder";
        const std::string logDir = c.blockedFolder ? dir / "blocked/log" : dir / "log";
        std::filesystem::create_directories(dir.path() / "home");
        Pty gps;
        ASSERT_TRUE(gps.ok());
        const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
        ::setenv("HOME", (dir / "home").c_str(), 1);
        ChildProcess recorder({RECORDER, "--port", gps.path(), "--period", "100", "--log-dir", logDir, course}, true);
        ::setenv("HOME", home.c_str(), 1);
        std::string output, line;
        while (recorder.readLine(line, 10000)) {
            output += line + "\n";
            if (line.rfind("start ", 0) == 0) break;
        }
        ASSERT_NE(output.find("start "), std::string::npos) << output;
        // The folder named is the one in the way: the file where a parent folder should be.
        EXPECT_EQ(output.find("warning: cannot create folder " + (dir / "blocked")) != std::string::npos,
                  c.blockedFolder)
            << output;
        const std::string fix = "$GPGGA,030000.00,3500.0000,N,13900.0000,E,1,08,0.9,50.0,M,,M,,*";
        unsigned sum = 0;
        for (char ch : fix.substr(1, fix.size() - 2)) sum ^= static_cast<unsigned char>(ch);
        char sentence[128];
        std::snprintf(sentence, sizeof sentence, "%s%02X\r\n", fix.c_str(), sum);
        for (int i = 0; i < 10; ++i) {
            gps.write(sentence);
            ::usleep(50000);
        }
        recorder.signal(c.signal);
        while (recorder.readLine(line, 10000)) output += line + "\n";
        EXPECT_EQ(recorder.wait(10000), 0) << output;
        if (!c.passed) {
            EXPECT_NE(output.find("no drive log (no pass was counted)"), std::string::npos) << output;
            continue;
        }
        const std::string written = (c.blockedFolder ? dir / "home" : logDir) + "/";
        EXPECT_NE(output.find("log: " + written), std::string::npos) << output;
        if (c.blockedFolder) {
            EXPECT_NE(output.find("written to " + written), std::string::npos) << output;
        }
    }
}

// The receiver unplugged and plugged in again under the same name (a symlink
// re-pointed to a new pseudo-terminal): the loss and the return are printed,
// and the recorder reads the new device without a restart.
TEST(VelmoraRecord, LostReceiverIsPrintedAndReadAgainWhenItReturns) {
    TempDir dir;
    const std::string course = dir / "c.gps";
    ASSERT_EQ(runToEnd({RECORDER, "--make-course", course, "--point", "35,139"}).first, 0);
    auto pty = std::make_unique<Pty>();
    const std::string link = dir / "gps";
    std::filesystem::create_symlink(pty->path(), link);
    const std::string gga = "$GPGGA,030000.00,3539.1234,N,13945.6789,E,1,08,0.9,50.0,M,,M,,*47\r\n";
    ChildProcess recorder({RECORDER, "--port", link, "--log-dir", dir / "log", course});
    std::string line;
    ASSERT_TRUE(recorder.readLine(line, 20000));
    EXPECT_EQ(line.rfind("start port", 0), 0u) << line;
    for (int i = 0; i < 5; ++i) pty->write(gga);

    pty.reset();  // unplugged
    ASSERT_TRUE(recorder.readLine(line, 10000));
    EXPECT_EQ(line.rfind("receiver lost tick ", 0), 0u) << line;

    pty = std::make_unique<Pty>();
    std::filesystem::create_symlink(pty->path(), dir / "gps.new");
    std::filesystem::rename(dir / "gps.new", link);
    // Bytes written before the reopen are purged by it: keep sending.
    bool back = false;
    for (int i = 0; i < 50 && !back; ++i) {
        pty->write(gga + gga);
        back = recorder.readLine(line, 200) && line.rfind("receiver back tick ", 0) == 0;
    }
    EXPECT_TRUE(back) << line;
    recorder.signal(SIGINT);
    EXPECT_EQ(recorder.wait(10000), 0);
}

}  // namespace
