#include "tools/gpdtool/compare_commands.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/gpdtool/cli.h"
#include "viewer/analysis/drive_log_loader.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_alignment.h"
#include "viewer/analysis/lap_sectors.h"
#include "viewer/analysis/view_state.h"

namespace {

using gpdtool::EXIT_FAILED;
using gpdtool::EXIT_USAGE;
using gpdtool::fail;


int usage() {
    std::fputs(
        "usage: gpdtool compare LOG LAP REFLAP\n"
        "       gpdtool sectors LOG [--sectors N | --corners]\n"
        "Laps are numbered from 1 as in 'gpdtool laps'; N is 2 to 10 (default 3).\n",
        stderr);
    return EXIT_USAGE;
}

// Lap number `text` (from 1) of the loaded drive as a lap index, or -1 with the message printed.
int lapIndexOf(const std::string& text) {
    int lap = 0;
    if (!gpdtool::parseWhole(text, lap)) return fail("lap must be a number: " + text), -1;
    if (lap < 1 || lap > driveModel.lapCount) {
        fail("lap " + text + " does not exist (the log has " + std::to_string(driveModel.lapCount) + " laps)");
        return -1;
    }
    if (!isValidLap(driveModel, lap - 1)) return fail("lap " + text + " is incomplete (no finish mark)"), -1;
    return lap - 1;
}

int runCompare(const std::vector<std::string>& args) {
    if (args.size() != 4) return usage();
    if (int status = gpdtool::loadWithDefaults(args[1]); status != 0) return status;
    const int lap = lapIndexOf(args[2]);
    if (lap < 0) return EXIT_FAILED;
    const int reference = lapIndexOf(args[3]);
    if (reference < 0) return EXIT_FAILED;
    const LapTrace trace = traceLap(driveModel, lap), referenceTrace = traceLap(driveModel, reference);
    const std::vector<double> delta = deltaSeconds(trace, referenceTrace);
    std::string out = "distance_m,time_s,ref_time_s,delta_s\n";
    char row[128];
    for (size_t k = 0; k < delta.size(); ++k) {
        // Whole milliseconds, so a zero delta never prints as -0.000.
        const long long timeMs = std::llround(trace.timeMs[k]), deltaMs = std::llround(delta[k] * 1000.0);
        std::snprintf(row, sizeof row, "%.2f,%.3f,%.3f,%.3f\n", trace.distanceKm[k] * 1000.0, timeMs / 1000.0,
                      double(timeMs - deltaMs) / 1000.0, double(deltaMs) / 1000.0);
        out += row;
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

// One line of the sector table: label, lap time and sector cells, each
// column as wide as a time; trailing blanks cut.
std::string tableLine(const std::string& label, const std::string& time, const std::vector<std::string>& cells) {
    char cell[64];
    std::snprintf(cell, sizeof cell, "%-9s %-9s", label.c_str(), time.c_str());
    std::string line = cell;
    for (const std::string& text : cells) {
        std::snprintf(cell, sizeof cell, "  %-9s", text.c_str());
        line += cell;
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line + "\n";
}

std::vector<std::string> times(const std::vector<int32_t>& ms) {
    std::vector<std::string> texts;
    for (int32_t t : ms) texts.push_back(formatLapTimeMs(t));
    return texts;
}

std::string sectorTableText(const SectorTable& table) {
    std::vector<std::string> titles;
    for (int s = 1; s <= table.sectorCount(); ++s) titles.push_back("S" + std::to_string(s));
    std::string out = tableLine("lap", "time", titles);
    for (const SectorRow& row : table.rows) {
        const std::string label = std::to_string(row.lap + 1) + (row.lap == table.bestLapIndex ? " *" : "");
        out += tableLine(label, formatLapTimeMs(row.lapTimeMs), times(row.sectorMs));
    }
    out += tableLine("best", "", times(table.bestMs));
    std::vector<std::string> from;
    for (int lap : table.bestLap) from.push_back("lap " + std::to_string(lap + 1));
    out += tableLine("ideal", formatLapTimeMs(table.theoreticalBestMs), from);
    return out;
}

int runSectors(const std::vector<std::string>& args) {
    int count = DEFAULT_SECTOR_COUNT;
    bool corners = false;
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--corners") {
            corners = true;
        } else if (args[i] == "--sectors" || args[i].rfind("--sectors=", 0) == 0) {
            const std::string value = args[i] == "--sectors" ? (i + 1 < args.size() ? args[++i] : "") : args[i].substr(10);
            if (!gpdtool::parseWhole(value, count) || count < MIN_SECTOR_COUNT || count > MAX_SECTOR_COUNT)
                return fail("--sectors must be a number from 2 to 10: " + value);
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usage();
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 1) return usage();
    if (int status = gpdtool::loadWithDefaults(positional[0]); status != 0) return status;
    const int best = bestValidLap(driveModel);
    if (best < 0) return fail(positional[0] + ": no complete lap");
    const std::vector<double> splits =
        corners ? cornerSectorSplits(driveModel, traceLap(driveModel, best)) : equalSectorSplits(count);
    const std::string out = sectorTableText(buildSectorTable(driveModel, splits));
    std::fputs(out.c_str(), stdout);
    return 0;
}

}  // namespace

bool isCompareCommand(std::string_view command) { return command == "compare" || command == "sectors"; }

int runCompareCommand(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || !isCompareCommand(args[0])) return usage();
    return args[0] == "compare" ? runCompare(args) : runSectors(args);
}
