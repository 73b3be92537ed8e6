#include "viewer/display/lap_list_sectors.h"

#include <algorithm>

#include <QFont>
#include <QHeaderView>
#include <QTableWidget>

#include "common/duration.h"
#include "viewer/analysis/lap_list_text.h"

namespace {

// The colour drivers know best sectors by, and the best lap's.
const QColor BEST_SECTOR_BACKGROUND(128, 60, 170);
const QColor BEST_LAP_BACKGROUND(30, 130, 60);

QTableWidgetItem* cell(const QTableWidget* table, const std::string& text, bool bold = false,
                       const QColor* background = nullptr) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (bold) {
        QFont font = table->font();  // an item without a font of its own is drawn in the table's
        font.setBold(true);
        item->setFont(font);
    }
    if (background) {
        item->setBackground(*background);
        item->setForeground(Qt::white);
    }
    return item;
}

}  // namespace

SectorColumns sectorColumns(const ComparisonState& state, const DriveModel& drive) {
    SectorColumns c;
    if (drive.loaded == 0 || bestValidLap(drive) < 0) return c;
    const SectorTable table = buildSectorTable(drive, sectorSplitsOf(state, drive));
    for (int s = 1; s <= table.sectorCount(); ++s) c.titles.push_back("セクター" + std::to_string(s));
    const size_t sectors = size_t(table.sectorCount());
    c.lapCells.assign(size_t(std::max(drive.lapCount, 0)), std::vector<std::string>(sectors, "-"));
    c.best.assign(c.lapCells.size(), std::vector<bool>(sectors, false));
    for (const SectorRow& row : table.rows) {
        for (size_t s = 0; s < sectors; ++s) {
            c.lapCells[size_t(row.lap)][s] = formatLapTimeMs(row.sectorMs[s]);
            c.best[size_t(row.lap)][s] = table.bestLap[s] == row.lap;
        }
    }
    c.bestLap = table.bestLapIndex;
    c.theoreticalLabel = "理論ベスト";
    c.theoreticalTime = formatDuration(uint32_t(table.theoreticalBestMs));
    for (size_t s = 0; s < sectors; ++s)
        c.theoreticalCells.push_back(formatLapTimeMs(table.bestMs[s]) + " (L" + std::to_string(table.bestLap[s] + 1) + ")");
    return c;
}

int addSectorColumns(QTableWidget* table, const DriveModel& drive) {
    const SectorColumns c = sectorColumns(comparisonState, drive);
    if (c.titles.empty()) return 0;
    const int first = table->columnCount();
    table->setColumnCount(first + int(c.titles.size()));
    for (size_t s = 0; s < c.titles.size(); ++s)
        table->setHorizontalHeaderItem(first + int(s), new QTableWidgetItem(QString::fromStdString(c.titles[s])));
    const int laps = std::min(table->rowCount(), int(c.lapCells.size()));
    for (int lap = 0; lap < laps; ++lap) {
        for (size_t s = 0; s < c.titles.size(); ++s) {
            const bool best = c.best[size_t(lap)][s];
            table->setItem(lap, first + int(s), cell(table, c.lapCells[size_t(lap)][s], best, best ? &BEST_SECTOR_BACKGROUND : nullptr));
        }
    }
    if (c.bestLap >= 0 && c.bestLap < laps) {
        const QString time = table->item(c.bestLap, 1) ? table->item(c.bestLap, 1)->text() : QString();
        table->setItem(c.bestLap, 1, cell(table, time.toStdString(), true, &BEST_LAP_BACKGROUND));
    }
    const int row = table->rowCount();
    table->setRowCount(row + 1);
    table->setItem(row, 0, cell(table, c.theoreticalLabel, true));
    table->setItem(row, 1, cell(table, c.theoreticalTime, true));
    for (size_t s = 0; s < c.theoreticalCells.size(); ++s) table->setItem(row, first + int(s), cell(table, c.theoreticalCells[s], true));
    int width = 0;
    for (int column = first; column < table->columnCount(); ++column) {
        table->resizeColumnToContents(column);
        width += table->columnWidth(column);
    }
    // The bold texts (the theoretical best's label and time, the best lap's
    // time) may need more than the columns were given.
    for (int column : {0, 1}) {
        const int before = table->columnWidth(column);
        table->resizeColumnToContents(column);
        const int after = std::max(before, table->columnWidth(column));
        table->setColumnWidth(column, after);
        width += after - before;
    }
    return width;
}
