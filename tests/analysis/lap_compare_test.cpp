// Lap comparison on real circuit recordings: delta-T against a reference lap
// and sector times. The laps are the recorded Tianma lap driven again and
// again (as sample-log builds them), some of them slowed down on purpose.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>

#include "tests/analysis/drive_log_builder.h"
#include "tools/sample-log/drive_log_builder.h"
#include "platform/exe_directory.h"
#include "viewer/analysis/analysis_state.h"
#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/lap_alignment.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_sectors.h"

namespace {

const std::vector<gpssim::TrackSample>& tianma() {
    static const gpssim::TrackReadResult read = gpssim::readTrackCsv(TEST_DATA_DIR "/tracks/tianma-lap.csv");
    return read.samples;
}

// The drive as if lap `lap` (0-based) had been driven `factor` times slower
// from `fromMs` into the lap for `stretchMs` of the original drive: the same
// line, sampled on the same grid of `periodMs`, every later sample shifted.
// The time lost must be a whole number of periods.
void slowDown(std::vector<LogSample>& samples, int lap, double fromMs, double stretchMs, double factor,
              int periodMs = 100) {
    const std::vector<LogSample> original = samples;
    size_t mark = 0;
    for (int seen = -1; seen < lap;) seen += original[++mark].lapMark && !original[mark - 1].lapMark ? 1 : 0;
    const double a = double(original[mark].tick - original[0].tick) + fromMs, lostMs = stretchMs * (factor - 1.0);
    samples.resize(original.size() + size_t(std::lround(lostMs / periodMs)));
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = double(i) * periodMs;
        const double tau = t < a ? t : t < a + stretchMs * factor ? a + (t - a) / factor : t - lostMs;
        const size_t j = std::min(size_t(tau / periodMs), original.size() - 2);
        const double f = tau / periodMs - double(j);
        LogSample& s = samples[i];
        s = original[j];
        s.tick = original[0].tick + uint32_t(t);
        s.latitude += f * (original[j + 1].latitude - original[j].latitude);
        s.longitude += f * (original[j + 1].longitude - original[j].longitude);
        s.altitude += f * (original[j + 1].altitude - original[j].altitude);
        if (f > 1e-9) s.lapMark = 0;
    }
}

// The passes moved with edited samples, as a recorder would have logged them.
void passesAtMarks(samplelog::BuiltDriveLog& log) {
    log.passLog.passCount = 0;
    for (size_t i = 1; i < log.samples.size(); ++i) {
        if (log.samples[i].lapMark != 0 && log.samples[i - 1].lapMark == 0 && log.passLog.passCount < PASS_LOG_CAPACITY)
            log.passLog.passTicks[log.passLog.passCount++] = log.samples[i].tick;
    }
}

// Analyses `laps` laps of Tianma sampled every `periodMs`; `change` edits the samples first.
DriveModel tianmaDrive(int laps, int32_t periodMs, void (*change)(std::vector<LogSample>&) = nullptr) {
    samplelog::DriveLogPlan plan;
    plan.laps = laps;
    plan.periodMs = periodMs;
    samplelog::BuiltDriveLog log = samplelog::buildDriveLog(tianma(), plan);
    EXPECT_TRUE(log.error.empty()) << log.error;
    if (change) {
        change(log.samples);
        passesAtMarks(log);
    }
    resetAnalysisState();
    installDrive(DriveLogImage{log.samples, log.passLog, log.course, true});
    EXPECT_EQ(analyseDrive(), ANALYSE_OK);
    DriveModel drive = driveModel;
    resetAnalysisState();
    return drive;
}

double maxAbs(const std::vector<double>& v, size_t from, size_t to) {
    double m = 0.0;
    for (size_t k = from; k < to && k < v.size(); ++k) m = std::max(m, std::abs(v[k]));
    return m;
}

TEST(LapDelta, EndsAtTheLapTimeDifferenceAndIsZeroAgainstItself) {
    // Lap 2 loses 1.5 s over 3 s of driving; lap 1 is the recording as it is.
    const DriveModel drive = tianmaDrive(3, 100, [](std::vector<LogSample>& s) { slowDown(s, 1, 30000, 3000, 1.5); });
    const std::pair<int, int> pairs[] = {{0, 1}, {1, 0}, {2, 1}, {0, 2}};
    for (const auto& [lap, ref] : pairs) {
        const LapTrace a = traceLap(drive, lap), b = traceLap(drive, ref);
        const std::vector<double> delta = deltaSeconds(a, b);
        ASSERT_EQ(delta.size(), size_t(a.pointCount()));
        const int expectedMs = drive.laps[size_t(lap)].lapTimeMs - drive.laps[size_t(ref)].lapTimeMs;
        EXPECT_EQ(std::lround(delta.back() * 1000.0), expectedMs) << "lap " << lap + 1 << " against " << ref + 1;
        EXPECT_NEAR(a.lengthKm(), drive.laps[size_t(lap)].distanceKm, 1e-9) << "ends at the lap list's distance";
        EXPECT_LT(maxAbs(deltaSeconds(a, a), 0, delta.size()), 1e-9) << "lap " << lap + 1 << " against itself";
    }
}

TEST(LapDelta, ALapSlowerOnOneStretchLosesTimeThereOnly) {
    const DriveModel drive = tianmaDrive(2, 40, [](std::vector<LogSample>& s) { slowDown(s, 1, 30000, 6000, 1.5, 40); });
    const LapTrace slow = traceLap(drive, 1), reference = traceLap(drive, 0);
    const std::vector<double> delta = deltaSeconds(slow, reference);
    size_t from = 0, to = 0;  // points where the slow stretch begins and ends
    while (slow.timeMs[from] < 30000.0) ++from;
    while (slow.timeMs[to] < 30000.0 + 6000.0 * 1.5) ++to;
    EXPECT_LT(maxAbs(delta, 0, from), 0.020) << "flat before the stretch";
    for (size_t k = to; k < delta.size(); ++k) ASSERT_NEAR(delta[k], 3.0, 0.020) << "flat after it, point " << k;
    for (size_t k = from + 1; k < to; ++k) ASSERT_GE(delta[k], delta[k - 1] - 0.005) << "growing on it, point " << k;
    EXPECT_NEAR(delta[(from + to) / 2], 1.5, 0.1) << "half the loss half way";

    // The colour map: losing on the stretch, even elsewhere.
    ComparisonState settings;
    settings.referenceLap = 1;
    const LapComparison c = compareLap(settings, drive, 1);
    ASSERT_TRUE(c.valid());
    int evenOutside = 0;
    for (size_t k = 0; k < delta.size(); ++k) {
        if (k > from + 5 && k + 5 < to) EXPECT_EQ(paceOf(c.slopeSPerKm[k]), Pace::Losing) << k;
        else evenOutside += paceOf(c.slopeSPerKm[k]) == Pace::Even;
    }
    EXPECT_GT(evenOutside, int(delta.size() - (to - from)) * 9 / 10);
}

TEST(LapDelta, LapsOfOneAndTwentyFiveHertzAlignByDistance) {
    const DriveModel slowRate = tianmaDrive(1, 1000), fastRate = tianmaDrive(1, 40);
    const LapTrace a = traceLap(slowRate, 0), b = traceLap(fastRate, 0);
    ASSERT_GT(b.pointCount(), 20 * a.pointCount());
    EXPECT_NEAR(a.lengthKm(), b.lengthKm(), 0.03) << "chords of 1 s steps cut the corners a little";
    for (const auto& [lap, ref] : {std::pair{&a, &b}, std::pair{&b, &a}}) {
        const std::vector<double> delta = deltaSeconds(*lap, *ref);
        EXPECT_EQ(std::lround(delta.back() * 1000.0), std::lround(lap->lapTimeMs() - ref->lapTimeMs()));
        // The same lap, cut at the sample after the line and measured along
        // 44 m chords at 1 Hz: apart by about one sampling step, not by the
        // tens of seconds that pairing samples by their number would give.
        EXPECT_LT(maxAbs(delta, 0, delta.size()), 1.5);
    }
}

TEST(Sectors, AddUpToTheLapAndTheTheoreticalBestTakesEachSectorsBest) {
    // Lap 1 slow early, lap 2 slow late, lap 3 as recorded but the slowest in sector 2.
    const DriveModel drive = tianmaDrive(3, 100, [](std::vector<LogSample>& s) {
        slowDown(s, 0, 5000, 5000, 1.4);
        slowDown(s, 1, 60000, 5000, 1.4);
        slowDown(s, 2, 35000, 5000, 1.8);
    });
    for (const std::vector<double>& splits : {equalSectorSplits(3), equalSectorSplits(10), equalSectorSplits(1),
                                              cornerSectorSplits(drive, traceLap(drive, 0))}) {
        const SectorTable table = buildSectorTable(drive, splits);
        ASSERT_EQ(table.rows.size(), 3u);
        for (const SectorRow& row : table.rows) {
            EXPECT_EQ(int(row.sectorMs.size()), table.sectorCount());
            EXPECT_EQ(std::accumulate(row.sectorMs.begin(), row.sectorMs.end(), 0), row.lapTimeMs) << "lap " << row.lap;
        }
        EXPECT_LE(table.theoreticalBestMs, table.bestLapMs) << "never above the best lap";
        for (int s = 0; s < table.sectorCount(); ++s) {
            for (const SectorRow& row : table.rows) EXPECT_LE(table.bestMs[size_t(s)], row.sectorMs[size_t(s)]);
        }
    }
    EXPECT_EQ(equalSectorSplits(1).size(), 1u) << "at least two sectors";
    EXPECT_EQ(equalSectorSplits(99).size(), 9u) << "at most ten";
    const SectorTable thirds = buildSectorTable(drive, equalSectorSplits(3));
    ASSERT_EQ(thirds.bestLap.size(), 3u);
    EXPECT_EQ(thirds.bestLap[0], 1) << "each sector's best from a lap not slowed there";
    EXPECT_NE(thirds.bestLap[1], 2);
    EXPECT_EQ(thirds.bestLap[2], 0);
    EXPECT_LT(thirds.theoreticalBestMs, thirds.bestLapMs - 1500) << "the best sectors of different laps";
    EXPECT_EQ(formatLapTimeMs(thirds.bestLapMs).size(), 9u);
    EXPECT_EQ(formatLapTimeMs(76300), "01:16.300");
}

TEST(ComparisonSettings, FileOfItsOwnRoundTripsAndRefusesDamage) {
    TempDir dir;
    platform::setExeDirectoryForTests(dir.path() + "/");
    ComparisonState read, stored{2, 1, 1, 1, 7, 1};
    EXPECT_EQ(readComparisonPrefs(read), 1) << "no file";
    ASSERT_EQ(writeComparisonPrefs(stored), 0);
    EXPECT_EQ(readFile(dir.file("quindlec.pref")).size(), 24u);
    ASSERT_EQ(readComparisonPrefs(read), 0);
    EXPECT_EQ(std::memcmp(&read, &stored, sizeof read), 0);
    const std::string image = readFile(dir.file("quindlec.pref"));
    for (const std::string& damaged : {image.substr(0, 23), image + "x"}) {
        writeFile(dir.file("quindlec.pref"), damaged);
        ComparisonState untouched;
        EXPECT_EQ(readComparisonPrefs(untouched), 1) << damaged.size() << " bytes";
        EXPECT_EQ(untouched.sectorCount, 3);
    }
    const ComparisonState wild{-2, 5, 1, 0, 40, 1};
    writeFile(dir.file("quindlec.pref"), std::string(reinterpret_cast<const char*>(&wild), sizeof wild));
    ASSERT_EQ(readComparisonPrefs(read), 0);
    EXPECT_EQ(read.referenceLap, 0);
    EXPECT_EQ(read.showReference, 0);
    EXPECT_EQ(read.deltaGraph, 1);
    EXPECT_EQ(read.sectorCount, 3);
    EXPECT_FALSE(std::filesystem::exists(dir.file("quindle.pref"))) << "the view preferences stay as they were";
    platform::setExeDirectoryForTests("");

    const DriveModel drive = tianmaDrive(3, 100, [](std::vector<LogSample>& s) { slowDown(s, 0, 5000, 2000, 1.5); });
    for (const auto& [number, lap] : {std::pair{0, 1}, {3, 2}, {1, 0}, {9, 1}}) {
        EXPECT_EQ(referenceLapOf(ComparisonState{number, 0, 0, 0, 3, 0}, drive), lap) << "asked for " << number;
    }
}

TEST(Sectors, CornerSplitsLieInsideTheLapInOrder) {
    const DriveModel drive = tianmaDrive(1, 100);
    const std::vector<double> splits = cornerSectorSplits(drive, traceLap(drive, 0));
    ASSERT_GE(splits.size(), 3u) << "Tianma has more than three corners";
    EXPECT_LE(int(splits.size()), MAX_CORNER_SECTORS - 1);
    EXPECT_GT(splits.front(), 0.0);
    EXPECT_LT(splits.back(), 1.0);
    EXPECT_TRUE(std::is_sorted(splits.begin(), splits.end()));
    EXPECT_EQ(bestValidLap(drive), 0);
    EXPECT_TRUE(traceLap(drive, 1).empty()) << "no such lap";
}

}  // namespace

namespace {

struct ToolRun { int exitCode = -1; std::string output; };

ToolRun gpdtool(const std::string& arguments) {
    ToolRun run;
    std::FILE* pipe = popen((BIN_DIR "/gpdtool " + arguments + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.output.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(GpdtoolCompare, DeltaRowsSectorTableAndMissingLaps) {
    TempDir dir;
    samplelog::DriveLogPlan plan;
    samplelog::BuiltDriveLog log = samplelog::buildDriveLog(tianma(), plan);
    slowDown(log.samples, 1, 20000, 4000, 1.5);
    passesAtMarks(log);
    const std::string path = dir.file("slow.gpd");
    writeFile(path, driveLogBytes(DriveLogImage{log.samples, log.passLog, log.course, true}));

    const ToolRun compare = gpdtool("compare " + path + " 2 1");
    ASSERT_EQ(compare.exitCode, 0) << compare.output;
    const std::vector<std::string> rows = split(compare.output, "\n");
    EXPECT_EQ(rows.front(), "distance_m,time_s,ref_time_s,delta_s");
    const std::vector<std::string> last = split(rows.back(), ",");
    ASSERT_EQ(last.size(), 4u);
    EXPECT_EQ(last[3], "2.000") << "2 s lost, to the millisecond";
    EXPECT_NEAR(std::stod(last[1]) - std::stod(last[2]), std::stod(last[3]), 1e-9);

    const ToolRun sectors = gpdtool("sectors " + path + " --sectors 4");
    ASSERT_EQ(sectors.exitCode, 0) << sectors.output;
    const std::vector<std::string> lines = split(sectors.output, "\n");
    ASSERT_EQ(lines.size(), 6u) << "titles, three laps, best, ideal:\n" << sectors.output;
    EXPECT_EQ(lines[0].substr(lines[0].size() - 2), "S4");
    EXPECT_EQ(lines[2].find("2 *"), std::string::npos) << "the slowed lap is not the best";
    EXPECT_EQ(lines[5].rfind("ideal", 0), 0u);

    for (const char* bad : {"compare %s 4 1", "compare %s 1 0", "compare %s 1 x", "sectors %s --sectors 11"}) {
        char arguments[512];
        std::snprintf(arguments, sizeof arguments, bad, path.c_str());
        const ToolRun run = gpdtool(arguments);
        EXPECT_EQ(run.exitCode, 1) << arguments;
        EXPECT_EQ(run.output.find('\n'), run.output.size() - 1) << "one line: " << run.output;
    }
    EXPECT_EQ(gpdtool("compare " + path + " 1").exitCode, 2) << "usage";
}

}  // namespace
