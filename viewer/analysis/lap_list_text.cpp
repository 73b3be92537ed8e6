#include "viewer/analysis/lap_list_text.h"

#include <charconv>
#include <cstdio>

#include "common/duration.h"

const std::array<std::string, LAP_LIST_COLUMNS>& lapListTitles() {
    static const std::array<std::string, LAP_LIST_COLUMNS> titles = {
        "ラップ", "タイム", "距離", "平均速度", "最大速度", "平均馬力", "最大馬力", "コーナー平均速度",
        "コーナー最大速度"};
    return titles;
}

std::string formatFixed(double value, int decimals) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}

std::array<std::string, LAP_LIST_COLUMNS> lapListRow(const LapRecord& record, int lap) {
    char number[16];
    std::snprintf(number, sizeof number, "%3d", lap + 1);
    const auto kmh = [](double v) { return formatFixed(v, 1) + "Km/h"; };
    const auto ps = [](double v) { return formatFixed(v, 1) + "ps"; };
    return {number,
            formatDuration(static_cast<uint32_t>(record.lapTimeMs)),
            formatFixed(record.distanceKm, 3) + "Km",
            kmh(record.avgSpeed),
            kmh(record.maxSpeed),
            ps(record.avgPower),
            ps(record.maxPower),
            kmh(record.cornerAvgSpeed),
            kmh(record.cornerMaxSpeed)};
}
