#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/analysis/drive_log_builder.h"
#include "viewer/analysis/drive_model.h"
#include "viewer/analysis/lap_analysis.h"
#include "viewer/analysis/lap_csv.h"
#include "viewer/analysis/view_state.h"

namespace {

// The header as spreadsheets of Japanese users read it, byte for byte (Shift-JIS).
const std::string SJIS_HEADER =
    "\x8E\x9E\x8A\xD4,\x8D\xC0\x95W(X:km),\x8D\xC0\x95W(Y:km),\x8D\x82\x93x(m),\x91\xAC\x93x(Km/h),"
    "\x83R\x81[\x83i\x81[\x83J\x83" "E\x83\x93\x83g\r\n";

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 2;
    }
    EXPECT_EQ(from, text.size()) << "every line ends in CR LF";
    return lines;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string f; std::getline(in, f, ',');) out.push_back(f);
    return out;
}

class LapCsv : public ::testing::Test {
protected:
    void SetUp() override { setViewStateDefaults(); }
    TempDir dir;
};

TEST_F(LapCsv, HeaderAndOneRowPerSample) {
    installDrive(circuitDrive(2, 1000, 72.0, 800.0, 500.0, 40.0, nullptr));
    ASSERT_EQ(analyseDrive(), ANALYSE_OK);
    driveModel.currentLap = 1;
    const std::string path = dir.file("lap.csv");
    ASSERT_EQ(writeLapCsv(path), CSV_WRITTEN);
    const std::string text = readFile(path);
    ASSERT_EQ(text.compare(0, SJIS_HEADER.size(), SJIS_HEADER), 0);
    const LapRecord& lap = driveModel.laps[1];
    const std::vector<std::string> lines = crlfLines(text);
    ASSERT_EQ(lines.size(), size_t(lap.endSample - lap.startSample + 2));
    EXPECT_EQ(fields(lines[1])[0], "00:00:00:00");
    EXPECT_EQ(fields(lines[1])[4], "0.00") << "the first row has no speed";
    EXPECT_EQ(fields(lines[2])[0], "00:00:01:00");
    EXPECT_EQ(fields(lines[2])[4], "72.00");
    int apex = 0;
    for (size_t row = 1; row < lines.size(); ++row) {
        const std::vector<std::string> f = fields(lines[row]);
        const int sample = lap.startSample + int(row) - 1;
        if (driveModel.cornerMarks[size_t(sample)] == CORNER_APEX) {
            ASSERT_EQ(f.size(), 6u);
            EXPECT_EQ(f[5], "C=" + std::to_string(++apex));
        } else {
            EXPECT_EQ(f.size(), 5u) << lines[row];
        }
    }
    EXPECT_EQ(apex, 4);
}

TEST_F(LapCsv, ColumnsAreCentredPositionsAndHeightAboveTheLowestPoint) {
    // North at 72 km/h, climbing 1 m a sample from 100 m.
    DriveLogImage image;
    for (int i = 0; i < 12; ++i) image.samples.push_back(sampleAt(20.0 * i, 0.0, 100.0 + i, 1000 * uint32_t(i), i == 1 || i == 11));
    image.passLog.passCount = 2;
    installDrive(image);
    analyseDrive();
    const std::vector<std::string> lines = crlfLines(lapCsvText(0));
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(fields(lines[1])[1], "-0.09");  // 90 m south of the box centre
    EXPECT_EQ(std::stod(fields(lines[1])[2]), 0.0);  // "0.00" or "-0.00", as printf gives
    EXPECT_EQ(fields(lines[1])[3], "0.00");
    EXPECT_EQ(fields(lines[10])[1], "0.09");
    EXPECT_EQ(fields(lines[10])[4], "72.09") << "20 m along and 1 m up a second";
    EXPECT_EQ(fields(lines[10])[3], "9.00");
    EXPECT_EQ(fields(lines[5])[3], "4.00");
}

TEST_F(LapCsv, ElapsedTimeShowsThirtiethsOfASecond) {
    DriveLogImage image = straightDrive(12, 1000, 36.0, {1, 10});
    // 1 234 567 ms after the lap start: 20 min 34 s and 567 ms = 17 thirtieths.
    for (int i = 5; i < 12; ++i) image.samples[size_t(i)].tick = image.samples[1].tick + 1234567 + 1000 * uint32_t(i - 5);
    installDrive(image);
    analyseDrive();
    const std::vector<std::string> lines = crlfLines(lapCsvText(0));
    EXPECT_EQ(fields(lines[5])[0], "00:20:34:17");
    EXPECT_EQ(fields(lines[6])[0], "00:20:35:17");
}

TEST_F(LapCsv, NothingIsWrittenWithoutALap) {
    const std::string path = dir.file("none.csv");
    resetDriveModel();
    EXPECT_EQ(writeLapCsv(path), CSV_NO_LAP);
    installDrive(straightDrive(100, 1000, 60.0, {10, 50, 90}, COURSE_OPEN));
    analyseDrive();
    driveModel.currentLap = 1;  // the unpaired start: not a lap
    EXPECT_EQ(writeLapCsv(path), CSV_NO_LAP);
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(LapCsv, FailureIsReportedAndLeavesTheOldFileWhole) {
    installDrive(straightDrive(100, 1000, 60.0, {10, 50, 90}));
    analyseDrive();
    EXPECT_EQ(writeLapCsv(dir.file("missing-folder/lap.csv")), CSV_WRITE_FAILED);

    const std::string path = dir.file("lap.csv");
    writeFile(path, "old");
    ASSERT_EQ(writeLapCsv(path), CSV_WRITTEN);
    EXPECT_EQ(crlfLines(readFile(path)).size(), 41u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary file left";
}

TEST(CsvName, CourseNameAndLapNumberFromOne) {
    Course course;
    std::string sjis = "\x83\x8B\x81\x5B\x83\x76";  // ループ
    std::copy(sjis.begin(), sjis.end(), course.name);
    EXPECT_EQ(proposedCsvName(course, 0), "ループ-1.csv");
    std::strcpy(course.name, "a/b");
    EXPECT_EQ(proposedCsvName(course, 4), "a_b-5.csv");
}

}  // namespace
