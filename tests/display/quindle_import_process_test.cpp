// The built quindle given other loggers' recordings on its command line and
// through the hand-over: timed in memory, the title marked as imported.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/child_process.h"
#include "tests/support/eventually.h"
#include "tests/support/private_program.h"
#include "tests/support/sample_drive.h"
#include "tests/support/temp_dir.h"

namespace {

const std::string RECORDINGS = std::string(TEST_DATA_DIR) + "/recordings";

bool seen(ChildProcess& p, const std::string& wanted) {
    for (std::string line; p.readLine(line, 30000);) {
        if (line == wanted) return true;
    }
    return false;
}

TEST(QuindleImportProcess, RecordingsOpenAgainstTheirOwnLineOrTheCourseUsedLast) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (scripts/test runs ctest under xvfb-run)";
    TempDir dir;
    const std::string program = installPrivateCopy(dir, "quindle");
    ::setenv("QUINDLE_UNATTENDED", "1", 1);
    ::setenv("ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1", 1);

    // The CSV names no start/finish; after the sample log (its course point is where the Tianma recording starts) the CSV is timed on it.
    const std::string log = writeSampleLog(dir / "tianma.gpd", tianmaLog(2));
    ChildProcess viewer({program, log}, /*withStderr=*/true);
    ASSERT_TRUE(seen(viewer, "title: 天馬サーキット (3次元表示）"));
    ASSERT_TRUE(eventually([&] { return std::filesystem::exists(dir.path() / "tmp" / "plwin0"); }, 30000));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "quindle-last.gps"));
    EXPECT_EQ(runToEnd({program, RECORDINGS + "/tianma-racechrono-v3.csv"}, true).first, 0);
    EXPECT_TRUE(seen(viewer, "title: 天馬サーキット (3次元表示） ［CSVを取り込み］"));

    // The VBO run crosses its own start line once: no lap, the drive stays, the reason is told.
    EXPECT_EQ(runToEnd({program, RECORDINGS + "/road-america-run05.vbo"}, true).first, 0);
    bool told = false;
    for (std::string line; !told && viewer.readLine(line, 30000);) {
        EXPECT_EQ(line.rfind("title:", 0), std::string::npos) << line;
        told = line.find("road-america-run05.vbo") != std::string::npos;
    }
    EXPECT_TRUE(told);
    forgetPrivateRuntime();
    ::unsetenv("QUINDLE_UNATTENDED");
}

}  // namespace
