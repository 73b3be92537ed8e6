#include "tools/gpdtool/retime.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "capture/timing/course.h"
#include "capture/timing/pass_replay.h"
#include "common/duration.h"
#include "common/sjis.h"
#include "tools/gpdtool/cli.h"
#include "tools/gpdtool/lap_table.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"

namespace {

using gpdtool::fail;

bool parseRadius(const std::string& text, double& radiusM) {
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno != 0 || !std::isfinite(value) || value <= 0.0) return false;
    radiusM = value;
    return true;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

void printPasses(const ReplayResult& result) {
    std::printf("passes: %zu\n", result.passes.size());
    for (size_t k = 0; k < result.passes.size(); ++k) {
        const ReplayPass& pass = result.passes[k];
        const uint32_t sinceStart = result.passes[k].tickMs - result.samples.front().tick;
        std::printf("pass %zu: point %d at %s (%.3f s after the first sample)%s\n", k + 1, pass.point + 1,
                    formatDuration(sinceStart).c_str(), sinceStart / 1000.0,
                    k >= PASS_LOG_CAPACITY ? " (beyond the log's 100)" : "");
    }
}

}  // namespace

int runRetime(const std::vector<std::string>& positional, const std::optional<std::string>& radiusText,
              bool interpolate) {
    if (positional.size() != 4) {
        std::fputs("usage: gpdtool retime LOG COURSE.gps OUT.gpd [--radius M] [--interpolate]\n", stderr);
        return 2;
    }
    const std::string& logPath = positional[1];
    const std::string& coursePath = positional[2];
    const std::string& outPath = positional[3];
    ReplayOptions options;
    options.interpolate = interpolate;
    if (radiusText && !parseRadius(*radiusText, options.radiusM)) {
        return fail("radius must be a number of metres above 0: " + *radiusText);
    }
    DriveLogContent log;
    std::string error;
    if (!readDriveLogContent(logPath, log, error)) return fail(logPath + ": " + error);
    std::string courseProblem;
    if (loadCourseWithReason(coursePath.c_str(), courseProblem) != 0) {
        return fail(coursePath + ": cannot read the course file: " + courseProblem);
    }
    if (sameFile(logPath, outPath)) return fail(outPath + ": would replace the drive log being re-timed");
    const Course course = currentCourse();
    const ReplayResult result = replayPasses(fixesFromSamples(log.samples), course, options);
    const FileWriteResult written = writeDriveLogContent(outPath, buildDriveLog(result, course));
    if (written.status != FileWriteStatus::WRITTEN) return fail(written.error);
    std::printf("course: %s, radius %.1f m, pass time %s\n", sjisToUtf8(fixedText(course.name)).c_str(),
                options.radiusM, interpolate ? "interpolated" : "at the sample");
    printPasses(result);
    std::printf("wrote %s\n", outPath.c_str());
    if (loadDriveLog(outPath) != LOAD_OK) {
        std::printf("laps: none (%s)\n", loadProblemText(lastLoadProblem()).c_str());
        return 0;
    }
    std::fputs(lapTableText().c_str(), stdout);
    return 0;
}
