#include "viewer/analysis/lap_csv.h"

#include <charconv>
#include <cstdio>
#include <string_view>

#include "common/duration.h"
#include "common/sjis.h"
#include "common/atomic_file.h"
#include "viewer/analysis/drive_model.h"

namespace {

// The column titles as users' spreadsheets expect them, converted once.
const std::string& csvHeaderSjis() {
    static const std::string header =
        utf8ToSjis("時間,座標(X:km),座標(Y:km),高度(m),速度(Km/h),コーナーカウント") + "\r\n";
    return header;
}

// "%.2f" in the C locale whatever the program's locale: a decimal comma
// would break the columns. A value that rounds to zero prints "0.00": a
// "-0.00" (a point a few metres west of the centre) confuses spreadsheets
// that sort or compare the column as text.
void appendFixed2(std::string& out, double value) {
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 2);
    const std::string_view written(text, static_cast<size_t>(result.ptr - text));
    if (written == "-0.00") out += "0.00";
    else out.append(written);
}

void appendRow(std::string& out, int lap, int i, int& apexNumber) {
    const LapRecord& record = driveModel.laps[static_cast<size_t>(lap)];
    const TrackPoint& p = driveModel.points[static_cast<size_t>(i)];
    const uint32_t elapsedMs =
        driveModel.samples[static_cast<size_t>(i)].tick - driveModel.samples[static_cast<size_t>(record.startSample)].tick;
    out += formatDuration(elapsedMs);
    out += ',';
    appendFixed2(out, p.x);
    out += ',';
    appendFixed2(out, p.z);
    out += ',';
    // Metres above the lap's lowest point.
    const double lowest = driveModel.lapAltitudeRange[static_cast<size_t>(lap)].lowest;
    appendFixed2(out, (record.boxCentre.y + p.y - lowest) * 1000.0);
    out += ',';
    appendFixed2(out, p.speed);
    if (driveModel.cornerMarks[static_cast<size_t>(i)] == CORNER_APEX) {
        out += ",C=";
        out += std::to_string(++apexNumber);
    }
    out += "\r\n";
}

}  // namespace

std::string lapCsvText(int lap) {
    if (driveModel.loaded == 0 || !isLapCut(lap)) return {};
    const LapRecord& record = driveModel.laps[static_cast<size_t>(lap)];
    std::string out = csvHeaderSjis();
    out.reserve(out.size() + 48 * static_cast<size_t>(record.endSample - record.startSample + 1));
    int apexNumber = 0;
    for (int i = record.startSample; i <= record.endSample; ++i) appendRow(out, lap, i, apexNumber);
    return out;
}

WriteOutcome writeLapCsvFor(int lap, const std::string& path) {
    // Without a Shift-JIS converter the header would be written as UTF-8
    // into a file every reader takes for Shift-JIS.
    if (!sjisConversionAvailable()) return {CSV_WRITE_FAILED, "cannot write " + path + ": " + SJIS_UNAVAILABLE};
    const std::string text = lapCsvText(lap);
    if (text.empty()) return {CSV_NO_LAP, ""};
    const FileWriteResult written = writeFileAtomically(path, text);
    if (written.status != FileWriteStatus::WRITTEN) return {CSV_WRITE_FAILED, written.error};
    return {CSV_WRITTEN, ""};
}

WriteOutcome writeLapCsv(const std::string& path) { return writeLapCsvFor(driveModel.currentLap, path); }

std::string proposedCsvName(const Course& course, int lap) {
    std::string name = sjisToUtf8(fixedText(course.name));
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return name + "-" + std::to_string(lap + 1) + ".csv";
}
