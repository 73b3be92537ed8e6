// velmora-record's failures name the file or port and the system's reason.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/child_process.h"
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

}  // namespace
