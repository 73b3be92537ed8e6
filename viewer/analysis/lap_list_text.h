// The texts of one row of the lap list (lap, time, distance, speeds, power,
// corner speeds), shared by the lap list window and the command-line tool.
#pragma once

#include <array>
#include <string>

#include "viewer/analysis/drive_model.h"

constexpr int LAP_LIST_COLUMNS = 9;

// Column titles in UTF-8: "ラップ", "タイム", "距離", "平均速度", "最大速度",
// "平均馬力", "最大馬力", "コーナー平均速度", "コーナー最大速度".
const std::array<std::string, LAP_LIST_COLUMNS>& lapListTitles();

// Row texts for `lap` (0-based): "%3d" lap number from 1, "%02d:%02d:%02d:%02d",
// "%.3fKm", "%.1fKm/h" twice, "%.1fps" twice, "%.1fKm/h" twice.
std::array<std::string, LAP_LIST_COLUMNS> lapListRow(const LapRecord& record, int lap);

// "%.Nf" in the C locale.
std::string formatFixed(double value, int decimals);
