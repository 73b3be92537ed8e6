#include "tools/gpdtool/lap_table.h"

#include <algorithm>
#include <array>
#include <vector>

#include "common/duration.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_list_text.h"

namespace {

using Row = std::array<std::string, LAP_LIST_COLUMNS>;

const Row& englishTitles() {
    static const Row titles = {"Lap",       "Time",      "Distance",   "Avg speed", "Max speed",
                               "Avg power", "Max power", "Corner avg", "Corner max"};
    return titles;
}

// A slot that was never cut (the last start of an open course without its
// finish) shows its number and says so, rather than figures it does not have.
Row incompleteRow(int lap) {
    Row row = lapListRow(LapRecord{}, lap);
    row[1] = "(incomplete)";
    for (int c = 2; c < LAP_LIST_COLUMNS; ++c) row[static_cast<size_t>(c)].clear();
    return row;
}

std::string padLeft(const std::string& text, size_t width) {
    return std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
}

}  // namespace

std::string lapTableText() {
    std::vector<Row> rows{englishTitles()};
    for (int lap = 0; lap < driveModel.lapCount; ++lap) {
        rows.push_back(isLapCut(lap) ? lapListRow(driveModel.laps[static_cast<size_t>(lap)], lap)
                                     : incompleteRow(lap));
    }
    std::array<size_t, LAP_LIST_COLUMNS> widths{};
    for (const Row& row : rows) {
        for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    }
    std::string out;
    for (const Row& row : rows) {
        std::string line;
        for (size_t c = 0; c < widths.size(); ++c) line += (c ? "  " : "") + padLeft(row[c], widths[c]);
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

std::string lapTableCsv() {
    std::string out =
        "lap,complete,time,time_ms,distance_km,avg_speed_kmh,max_speed_kmh,avg_power_ps,max_power_ps,"
        "corner_avg_speed_kmh,corner_max_speed_kmh\n";
    for (int lap = 0; lap < driveModel.lapCount; ++lap) {
        out += std::to_string(lap + 1);
        if (!isLapCut(lap)) {
            out += ",0,,,,,,,,,\n";
            continue;
        }
        const LapRecord& r = driveModel.laps[static_cast<size_t>(lap)];
        const auto cell = [&out](const std::string& text) {
            out += ',';
            out += text;
        };
        cell("1");
        cell(formatDuration(static_cast<uint32_t>(r.lapTimeMs)));
        cell(std::to_string(r.lapTimeMs));
        cell(formatFixed(r.distanceKm, 6));
        for (double v : {r.avgSpeed, r.maxSpeed, r.avgPower, r.maxPower, r.cornerAvgSpeed, r.cornerMaxSpeed}) {
            cell(formatFixed(v, 3));
        }
        out += "\n";
    }
    return out;
}
