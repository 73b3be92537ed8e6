// gpdtool: look into drive logs (.gpd) without the viewer.
//
//   gpdtool info LOG                       course, type, samples, passes, laps, duration
//   gpdtool laps LOG [--weight KG] [--csv] the lap list
//   gpdtool csv LOG LAP [OUT] [--weight KG] the viewer's CSV of lap LAP (from 1)
//   gpdtool retime LOG COURSE.gps OUT.gpd [--radius M] [--interpolate]
//                                          the capture program's pass rules run
//                                          again over LOG against another course
//   gpdtool export LOG LAP OUT.gpx|.kml    lap LAP for map tools (open_data_commands.cpp)
//   gpdtool import FILE OUT.gpd ...        another logger's recording as a drive log
//   gpdtool compare LOG LAP REFLAP         delta-T of lap LAP against REFLAP (compare_commands.h)
//   gpdtool sectors LOG [--sectors N]      sector times, best sectors, theoretical best
//
// Power figures use --weight when given, else the weight stored in
// "quindle.pref" beside this program (where the viewer keeps it when both are
// installed together), else the viewer's default of 1567 kg.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "common/duration.h"
#include "common/sjis.h"
#include "tools/gpdtool/compare_commands.h"
#include "tools/gpdtool/lap_table.h"
#include "tools/gpdtool/open_data_commands.h"
#include "tools/gpdtool/retime.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/preference_files.h"
#include "viewer/analysis/view_state.h"

#include "tools/gpdtool/cli.h"

namespace {

using gpdtool::EXIT_FAILED;
using gpdtool::EXIT_USAGE;
using gpdtool::fail;


struct Arguments {
    std::vector<std::string> positional;  // command, LOG, ...
    std::optional<std::string> weightText;  // --weight value, when given
    std::optional<std::string> radiusText;  // --radius value, when given
    bool csv = false;
    bool interpolate = false;
};

int usage() {
    std::fputs(
        "usage: gpdtool info LOG\n"
        "       gpdtool laps LOG [--weight KG] [--csv]\n"
        "       gpdtool csv LOG LAP [OUT] [--weight KG]\n"
        "       gpdtool retime LOG COURSE.gps OUT.gpd [--radius M] [--interpolate]\n"
        "       gpdtool export LOG LAP OUT.gpx|OUT.kml\n"
        "       gpdtool import FILE OUT.gpd [--course C.gps | --point LAT,LON ...] (gpdtool import for more)\n"
        "       gpdtool compare LOG LAP REFLAP\n"
        "       gpdtool sectors LOG [--sectors N | --corners]\n"
        "Power uses --weight, else the weight in quindle.pref beside gpdtool (installed:\n"
        "~/.config/velmora-quindle/), else 1567 kg.\n"
        "retime: pass radius 15 m unless --radius; --interpolate stamps each pass at the\n"
        "closest approach between two samples.\n",
        stderr);
    return EXIT_USAGE;
}

bool parseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--csv") {
            args.csv = true;
        } else if (arg == "--interpolate") {
            args.interpolate = true;
        } else if (arg == "--radius") {
            if (i + 1 >= argc) return false;
            args.radiusText = argv[++i];
        } else if (arg.rfind("--radius=", 0) == 0) {
            args.radiusText = arg.substr(9);
        } else if (arg == "--weight") {
            if (i + 1 >= argc) return false;
            args.weightText = argv[++i];
        } else if (arg.rfind("--weight=", 0) == 0) {
            args.weightText = arg.substr(9);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            args.positional.push_back(arg);
        }
    }
    return !args.positional.empty();
}

// Sets viewState's weight the way the description at the top says.
bool chooseWeight(const Arguments& args) {
    setViewStateDefaults();
    if (args.weightText) return applyWeightText(*args.weightText, viewState.vehicleWeightKg);
    ViewState stored = viewState;
    if (readViewPrefs(stored) == 0) viewState.vehicleWeightKg = stored.vehicleWeightKg;
    return true;
}

int load(const std::string& path) {
    const int status = loadDriveLog(path);
    if (status != LOAD_OK) return fail(path + ": " + loadProblemText(lastLoadProblem()));
    const std::string notes = loadNotesText();
    for (size_t start = 0, end; start < notes.size(); start = end + 1) {
        end = notes.find('\n', start);
        std::fprintf(stderr, "gpdtool: warning: %s: %s\n", path.c_str(), notes.substr(start, end - start).c_str());
    }
    return 0;
}

const char* courseTypeName(int32_t type) {
    switch (type) {
        case COURSE_LOOP: return "loop";
        case COURSE_OPEN: return "open";
        case COURSE_OPEN_RETURN: return "open return";
        default: return "unknown";
    }
}

int completeLaps() {
    int complete = 0;
    for (int lap = 0; lap < driveModel.lapCount; ++lap) complete += isLapCut(lap) ? 1 : 0;
    return complete;
}

int runInfo() {
    const auto& samples = driveModel.samples;
    std::printf("course: %s\n", sjisToUtf8(fixedText(driveModel.course.name)).c_str());
    std::printf("course type: %s (%d)\n", courseTypeName(driveModel.course.courseType),
                static_cast<int>(driveModel.course.courseType));
    std::printf("samples: %d\n", static_cast<int>(driveModel.sampleCount));
    std::printf("passes: %d\n", static_cast<int>(driveModel.passLog.passCount));
    std::printf("laps: %d (complete: %d)\n", static_cast<int>(driveModel.lapCount), completeLaps());
    std::printf("duration: %s\n", formatDuration(samples.back().tick - samples.front().tick).c_str());
    return 0;
}

int runLaps(const Arguments& args) {
    if (completeLaps() == 0) return fail(args.positional[1] + ": no complete lap");
    if (args.csv) {
        std::fputs(lapTableCsv().c_str(), stdout);
    } else {
        std::printf("weight: %s kg\n", weightText(viewState.vehicleWeightKg).c_str());
        std::fputs(lapTableText().c_str(), stdout);
    }
    return 0;
}

int runCsv(const Arguments& args) {
    if (args.positional.size() < 3 || args.positional.size() > 4) return usage();
    int lap = 0;
    if (!gpdtool::parseWhole(args.positional[2], lap)) return fail("lap must be a number: " + args.positional[2]);
    if (lap < 1 || lap > driveModel.lapCount) {
        return fail("lap " + args.positional[2] + " out of range (the log has " +
                    std::to_string(driveModel.lapCount) + " laps)");
    }
    if (!isLapCut(lap - 1)) return fail("lap " + std::to_string(lap) + " is incomplete (no finish mark)");
    driveModel.currentLap = lap - 1;
    const std::string out =
        args.positional.size() == 4 ? args.positional[3] : proposedCsvName(driveModel.course, lap - 1);
    const WriteOutcome written = writeLapCsv(out);
    if (written != CSV_WRITTEN) return fail(written.error.empty() ? out + ": cannot write the CSV file" : written.error);
    const LapRecord& r = driveModel.laps[static_cast<size_t>(lap - 1)];
    std::printf("wrote %s (%d rows)\n", out.c_str(), r.endSample - r.startSample + 1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (isOpenDataCommand(argc, argv)) return runOpenDataCommand(argc, argv);
    if (argc > 1 && isCompareCommand(argv[1])) return runCompareCommand(argc, argv);
    Arguments args;
    if (!parseArguments(argc, argv, args)) return usage();
    const std::string& command = args.positional[0];
    if (command == "retime") return runRetime(args.positional, args.radiusText, args.interpolate);
    if (args.radiusText || args.interpolate) return usage();
    if (command != "info" && command != "laps" && command != "csv") return usage();
    if (args.positional.size() < 2) return usage();
    if (command != "csv" && args.positional.size() != 2) return usage();
    if (!chooseWeight(args)) return fail("weight must be a number above 0: " + args.weightText.value_or(""));
    if (int status = load(args.positional[1]); status != 0) return status;
    if (command == "info") return runInfo();
    if (command == "laps") return runLaps(args);
    return runCsv(args);
}
