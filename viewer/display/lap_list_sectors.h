// The lap list's sector columns: one per sector after the columns of the
// lap figures, the best time of each sector marked, the best lap's time
// marked, and a last row with the theoretical best.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "viewer/analysis/comparison_state.h"
#include "viewer/analysis/lap_sectors.h"

class QTableWidget;

// The texts, without Qt: titles, one row of cells per lap slot (rows of slots
// that hold no valid lap are "-"), and the theoretical best row.
struct SectorColumns {
    std::vector<std::string> titles;                  // "セクター1", ...
    std::vector<std::vector<std::string>> lapCells;   // per lap slot 0 .. lapCount-1
    std::vector<std::vector<bool>> best;              // per lap slot, per sector: the best of that sector
    int bestLap = -1;
    std::string theoreticalLabel;                     // "理論ベスト"
    std::string theoreticalTime;                      // in the lap list's time format
    std::vector<std::string> theoreticalCells;        // "mm:ss.mmm (L3)"
};
SectorColumns sectorColumns(const ComparisonState& state, const DriveModel& drive);

// Adds the columns and the theoretical best row to the lap list's table
// (filled with the nine columns of the lap figures); returns the width the
// new columns take.
int addSectorColumns(QTableWidget* table, const DriveModel& drive);
