// gpdtool import FILE OUT.gpd [--course C.gps | --point LAT,LON [--point LAT,LON] [--type N]]
//                [--radius M] [--interpolate] [--name TEXT]
//   an NMEA log, VBO file, lap-timer CSV or GPX track (chosen by content) as a
//   drive log, its laps timed by the capture program's pass rules against the
//   course given, or the recording's own start/finish.
// gpdtool export LOG LAP OUT.gpx|OUT.kml
//   lap LAP (from 1) of a drive log as a GPX track with times and elevations,
//   or as a KML line coloured by speed with the lap time in its name.
#include "tools/gpdtool/open_data_commands.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/timing/course.h"
#include "common/duration.h"
#include "common/sjis.h"
#include "import/drive_log_import.h"
#include "import/lap_export.h"
#include "tools/gpdtool/cli.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

namespace {

using gpdtool::EXIT_FAILED;
using gpdtool::EXIT_USAGE;
using gpdtool::fail;


int exportUsage() {
    std::fputs("usage: gpdtool export LOG LAP OUT.gpx|OUT.kml\n", stderr);
    return EXIT_USAGE;
}

int runExport(const std::vector<std::string>& args) {
    if (args.size() != 4) return exportUsage();
    const std::string& log = args[1];
    const std::string& out = args[3];
    ExportFormat format = ExportFormat::Gpx;
    if (!exportFormatOf(out, format)) return fail(out + ": the output name must end in .gpx or .kml");
    int lap = 0;
    if (!gpdtool::parseWhole(args[2], lap)) return fail("lap must be a number: " + args[2]);
    if (const int status = gpdtool::loadWithDefaults(log); status != 0) return status;
    if (lap < 1 || lap > driveModel.lapCount) {
        return fail("lap " + args[2] + " out of range (the log has " + std::to_string(driveModel.lapCount) + " laps)");
    }
    const WriteOutcome written = exportLap(lap - 1, out, fileDateUnixS(log));
    if (written != 0) return fail(written.error);
    std::printf("wrote %s (%s, %zu points)\n", out.c_str(), lapExportName(lap - 1).c_str(),
                lapExportPoints(lap - 1, 0, format == ExportFormat::Gpx).size());
    return 0;
}

int importUsage() {
    std::fputs(
        "usage: gpdtool import FILE OUT.gpd [--course C.gps | --point LAT,LON [--point LAT,LON] [--type N]]\n"
        "                      [--radius M] [--interpolate] [--name TEXT]\n"
        "FILE: NMEA 0183 log, VBO file, lap-timer CSV or GPX track. Without --course or --point the\n"
        "recording's own start/finish is the course point.\n",
        stderr);
    return EXIT_USAGE;
}

bool readPointArg(const std::string& text, LatLon& point) {
    const size_t comma = text.find(',');
    return comma != std::string::npos && gpdtool::parseWhole(text.substr(0, comma), point.latitude) &&
           gpdtool::parseWhole(text.substr(comma + 1), point.longitude) && point.latitude >= -90.0 &&
           point.latitude <= 90.0 && point.longitude >= -180.0 && point.longitude <= 180.0;
}

struct ImportArgs {
    std::string file, out, coursePath;
    ImportOptions options;
};

// false with `error` set ("" for a plain usage error).
bool parseImportArgs(const std::vector<std::string>& args, ImportArgs& parsed, std::string& error) {
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--interpolate") {
            parsed.options.interpolate = true;
        } else if (a == "--course" && hasValue) {
            parsed.coursePath = args[++i];
        } else if (a == "--point" && hasValue) {
            LatLon point;
            if (!readPointArg(args[++i], point)) return (error = "--point takes LAT,LON in degrees: " + args[i]), false;
            parsed.options.points.push_back(point);
        } else if (a == "--type" && hasValue) {
            int type = 0;
            if (!gpdtool::parseWhole(args[++i], type)) return (error = "--type takes 0, 1 or 2: " + args[i]), false;
            parsed.options.courseType = type;
        } else if (a == "--radius" && hasValue) {
            if (!gpdtool::parseWhole(args[++i], parsed.options.radiusM) || !(parsed.options.radiusM > 0.0)) {
                return (error = "--radius takes metres above 0: " + args[i]), false;
            }
        } else if (a == "--name" && hasValue) {
            parsed.options.nameUtf8 = args[++i];
        } else if (!a.empty() && a[0] == '-') {
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return false;
    if (!parsed.coursePath.empty() && !parsed.options.points.empty()) {
        return (error = "--course and --point exclude each other"), false;
    }
    if (parsed.options.courseType && parsed.options.points.empty()) return (error = "--type goes with --point"), false;
    parsed.file = positional[0];
    parsed.out = positional[1];
    return true;
}

// Lap times as the pass log gives them: loop laps between consecutive passes,
// open runs and legs between the passes that open and close them.
void printLaps(const ImportedDrive& drive) {
    const PassLog& log = drive.replay.passLog;
    const bool loop = drive.image.course.courseType == COURSE_LOOP;
    int lap = 0;
    for (int i = 1; i < log.passCount; i += loop ? 1 : 2) {
        const uint32_t ms = log.passTicks[i] - log.passTicks[i - 1];
        std::printf("lap %d: %s (%.3f s)\n", ++lap, formatDuration(ms).c_str(), ms / 1000.0);
    }
}

// Phases on stderr, once the work has taken long enough to be worth telling.
class Progress {
public:
    void phase(const std::string& text) {
        const double elapsedS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        if (elapsedS > 0.5 || shown_) {
            std::fprintf(stderr, "gpdtool: %s (%.1f s)\n", text.c_str(), elapsedS);
            shown_ = true;
        }
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool shown_ = false;
};

int runImport(const std::vector<std::string>& args) {
    ImportArgs parsed;
    std::string error;
    if (!parseImportArgs(args, parsed, error)) return error.empty() ? importUsage() : fail(error);
    if (std::filesystem::exists(parsed.out)) return fail(parsed.out + " exists: not replaced");
    if (!parsed.coursePath.empty()) {
        std::string courseProblem;
        if (loadCourseWithReason(parsed.coursePath.c_str(), courseProblem) != 0)
            return fail(parsed.coursePath + ": cannot read the course file: " + courseProblem);
        parsed.options.course = currentCourse();
    }
    parsed.options.fallbackName = std::filesystem::path(parsed.file).stem().string();
    Progress progress;
    const RecordingResult read = readRecording(parsed.file);
    if (!read.ok) return fail(read.error);
    const Recording& recording = read.recording;
    progress.phase(std::to_string(recording.fixes.size()) + " fixes read, timing laps");
    const ImportedDrive drive = importDrive(recording, parsed.options);
    if (!drive.ok) return fail(parsed.file + ": " + drive.error);
    if (drive.replay.passLog.passCount == 0) {
        return fail(parsed.file + ": no pass within " + std::to_string(parsed.options.radiusM) +
                    " m of the course point (from " + drive.courseFrom + "); nothing written");
    }
    progress.phase("writing " + parsed.out);
    const FileWriteResult written = writeDriveLogContent(parsed.out, drive.image);
    if (written.status != FileWriteStatus::WRITTEN) return fail(written.error);
    const double spanS = recording.fixes.back().timeS - recording.fixes.front().timeS;
    std::printf("%s: %s, %zu fixes over %.1f s\n", parsed.file.c_str(), recordingFormatName(recording.format),
                recording.fixes.size(), spanS);
    std::printf("course: %s (%s)\n", sjisToUtf8(fixedText(drive.image.course.name)).c_str(), drive.courseFrom.c_str());
    std::printf("passes: %d\n", static_cast<int>(drive.replay.passLog.passCount));
    printLaps(drive);
    std::printf("wrote %s (%zu samples)\n", parsed.out.c_str(), drive.image.samples.size());
    if (drive.replay.passLog.passCount < 2) {
        std::fprintf(stderr, "gpdtool: %s holds one pass: the viewer opens logs with at least two\n",
                     parsed.out.c_str());
    }
    return 0;
}

}  // namespace

bool isOpenDataCommand(int argc, char** argv) {
    if (argc < 2) return false;
    const std::string command = argv[1];
    return command == "export" || command == "import";
}

int runOpenDataCommand(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return args[0] == "import" ? runImport(args) : runExport(args);
}
