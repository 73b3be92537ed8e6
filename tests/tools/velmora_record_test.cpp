// velmora-record's failures name the file or port and the system's reason.
#include <gtest/gtest.h>

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
