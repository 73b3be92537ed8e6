#include "viewer/display/dialog_rules.h"

#include <algorithm>
#include <cmath>

#include "common/sjis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/display/menu_table.h"

FileDialogTexts fileDialogTexts(bool forOpen, const Course& course, int lap) {
    if (forOpen) return {"GPDファイルを開く", "ログを開く", "Velmora Logfile (*.gpd)", "gpd", "", true, false};
    return {"表示ラップのCSVファイル保存", "保存", "CSV（カンマ区切り） (*.csv)", "csv",
            proposedCsvName(course, lap), false, true};
}

namespace {

uint8_t toByte(float channel) {
    // NaN reads as 0; the truncation is the dialog's, the clamp keeps 1.01 from wrapping to 1.
    if (!(channel > 0.0f)) return 0;
    const float scaled = channel * 255.0f;
    return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

}  // namespace

ColourBytes colourToBytes(const Colour& c) { return {toByte(c.r), toByte(c.g), toByte(c.b)}; }

Colour bytesToColour(const ColourBytes& b) {
    constexpr float perByte = 1.0f / 255.0f;
    return {b.r * perByte, b.g * perByte, b.b * perByte};
}

ColourCommand colourCommandOf(int id) {
    switch (id) {
    case CMD_COLOUR_BACKGROUND: return {"背景色の設定", &ViewState::backgroundColour};
    case CMD_COLOUR_ROAD: return {"道路の色設定", &ViewState::roadColour};
    case CMD_COLOUR_GPS_POINT: return {"GPSポイントの色設定", &ViewState::gpsPointColour};
    case CMD_COLOUR_ANIMATION_POINT: return {"アニメーションポイントの色設定", &ViewState::animationPointColour};
    case CMD_COLOUR_ACCEL: return {"カラーマップ・加速区間の色設定", &ViewState::accelColour};
    case CMD_COLOUR_DECEL: return {"カラーマップ・減速区間の色設定", &ViewState::decelColour};
    case CMD_COLOUR_UPHILL: return {"カラーマップ・登り区間の色設定", &ViewState::uphillColour};
    // Named like its three siblings.
    case CMD_COLOUR_DOWNHILL: return {"カラーマップ・下り区間の色設定", &ViewState::downhillColour};
    default: return {};
    }
}

std::string lapListCaption(const DriveModel& drive) {
    const std::string name = drive.loaded != 0 ? sjisToUtf8(fixedText(drive.course.name)) : "";
    return "ラップリスト：" + name;
}

std::vector<std::array<std::string, LAP_LIST_COLUMNS>> lapListRows(const DriveModel& drive) {
    std::vector<std::array<std::string, LAP_LIST_COLUMNS>> rows;
    if (drive.loaded == 0) return rows;
    const int count = std::clamp(drive.lapCount, 0, MAX_LAPS);
    for (int lap = 0; lap < count; ++lap) {
        const LapRecord& record = drive.laps[static_cast<size_t>(lap)];
        std::array<std::string, LAP_LIST_COLUMNS> row = lapListRow(record, lap);
        if (record.startSample < 0 || record.endSample < 0) std::fill(row.begin() + 1, row.end(), "-");
        rows.push_back(row);
    }
    return rows;
}

const std::array<int, LAP_LIST_COLUMNS>& lapListColumnWidths() {
    static const std::array<int, LAP_LIST_COLUMNS> widths = {40, 70, 60, 70, 70, 70, 70, 110, 110};
    return widths;
}

int dialogUnitsX(int units, int averageCharWidth) { return units * averageCharWidth / 4; }
int dialogUnitsY(int units, int charHeight) { return units * charHeight / 8; }
