// gpdtool export LOG LAP OUT.gpx|OUT.kml
//   lap LAP (from 1) of a drive log as a GPX track with times and elevations,
//   or as a KML line coloured by speed with the lap time in its name.
#include "tools/gpdtool/open_data_commands.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "import/lap_export.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/view_state.h"

namespace {

constexpr int EXIT_FAILED = 1;
constexpr int EXIT_USAGE = 2;

int fail(const std::string& message) {
    std::fprintf(stderr, "gpdtool: %s\n", message.c_str());
    return EXIT_FAILED;
}

int exportUsage() {
    std::fputs("usage: gpdtool export LOG LAP OUT.gpx|OUT.kml\n", stderr);
    return EXIT_USAGE;
}

bool parseLap(const std::string& text, int& lap) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), lap);
    return error == std::errc{} && end == text.data() + text.size();
}

int runExport(const std::vector<std::string>& args) {
    if (args.size() != 4) return exportUsage();
    const std::string& log = args[1];
    const std::string& out = args[3];
    ExportFormat format = ExportFormat::Gpx;
    if (!exportFormatOf(out, format)) return fail(out + ": the output name must end in .gpx or .kml");
    int lap = 0;
    if (!parseLap(args[2], lap)) return fail("lap must be a number: " + args[2]);
    setViewStateDefaults();
    if (loadDriveLog(log) != LOAD_OK) return fail(log + ": " + loadProblemText(lastLoadProblem()));
    if (lap < 1 || lap > driveModel.lapCount) {
        return fail("lap " + args[2] + " out of range (the log has " + std::to_string(driveModel.lapCount) + " laps)");
    }
    const WriteOutcome written = exportLap(lap - 1, out, fileDateUnixS(log));
    if (written != 0) return fail(written.error);
    std::printf("wrote %s (%s, %zu points)\n", out.c_str(), lapExportName(lap - 1).c_str(),
                lapExportPoints(lap - 1, 0).size());
    return 0;
}

}  // namespace

bool isOpenDataCommand(int argc, char** argv) {
    if (argc < 2) return false;
    const std::string command = argv[1];
    return command == "export";
}

int runOpenDataCommand(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return runExport(args);
}
