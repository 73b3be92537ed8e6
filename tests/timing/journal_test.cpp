// The recording journal: what the writer thread appends while a run goes on,
// and the drive log a journal left by a killed run becomes.
#include "capture/timing/recording_journal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/timing/drive_log_writer.h"
#include "capture/timing/recorder.h"
#include "timing_test_support.h"

namespace {

class JournalTest : public TimingTest {
protected:
    void SetUp() override {
        TimingTest::SetUp();
        ASSERT_EQ(allocateSampleBuffer(), 0);
        setDriveLogDirectory(directory / "log");
        Course loop;
        loop.pointCount = 1;
        loop.points[0].latitude = 35.0;
        std::strcpy(loop.name, "journal");
        replaceCourse(loop);
    }
    void TearDown() override {
        discardRecordingJournal();
        freeSampleBuffer();
        setDriveLogDirectory("");
        TimingTest::TearDown();
    }
    // Samples up to `count` as the recorder takes them, and `passes` counted passes.
    void record(int32_t count, int32_t passes) {
        for (int32_t i = sampleCount.load(); i < count; ++i) {
            samples[i] = LogSample{};
            samples[i].tick = 5000u + 100u * static_cast<uint32_t>(i);
            samples[i].latitude = 35.0 + 1e-5 * i;
            samples[i].lapMark = i == 3 ? 1 : 0;
        }
        sampleCount.store(count);
        PassLog log;
        for (int32_t k = 0; k < passes; ++k) log.passTicks[log.passCount++] = 5300u + 15000u * static_cast<uint32_t>(k);
        publishPassLog(log);
    }
    // The live journal's bytes once the writer has appended `records` records.
    std::string flushed(size_t records) {
        const std::string path = recordingJournalPath();
        std::string bytes;
        eventually([&] {
            bytes = readFile(path);
            return bytes.size() >= 416 + records * 48;  // samples are the 48-byte records
        }, 5000);
        return bytes;
    }
    // A journal as a killed run leaves it: 8 samples and 2 passes.
    std::string killedRunJournal() {
        EXPECT_TRUE(startRecordingJournal(100));
        record(8, 2);
        const std::string bytes = flushed(8);
        discardRecordingJournal();
        return bytes;
    }
    static std::vector<LogSample> logSamples(const std::string& image) {
        int32_t n = 0;
        std::memcpy(&n, image.data(), 4);
        std::vector<LogSample> out(static_cast<size_t>(n));
        std::memcpy(out.data(), image.data() + 4, out.size() * sizeof(LogSample));
        return out;
    }
};

TEST_F(JournalTest, WriterOnlyAppendsAndAKilledRunBecomesItsDriveLog) {
    ASSERT_TRUE(startRecordingJournal(100)) << recordingJournalError();
    const std::string live = recordingJournalPath();
    record(5, 1);
    const std::string first = flushed(5);
    record(10, 2);
    Course changed = currentCourse();
    std::strcpy(changed.name, "changed while measuring");
    replaceCourse(changed);
    const std::string second = flushed(10 + 2);  // with the passes
    ASSERT_GT(second.size(), first.size());
    EXPECT_EQ(second.compare(0, first.size(), first), 0) << "what was written is never rewritten";

    // The process dies here: its journal stays. The live one is locked by its
    // writer and left alone.
    const std::string killed = directory / "log/recording-1-0.journal";
    writeFile(killed, second.data(), second.size());
    const std::vector<JournalRecovery> recovered = recoverJournals();
    ASSERT_EQ(recovered.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(live));
    const JournalRecovery& r = recovered[0];
    ASSERT_EQ(r.status, JournalRecoveryStatus::RECOVERED) << r.error;
    EXPECT_FALSE(r.tailCut);
    EXPECT_FALSE(std::filesystem::exists(killed)) << "a recovered journal is removed";
    EXPECT_EQ(std::filesystem::path(r.logPath).filename().string(), todayDateText() + "_000.gpd");

    const std::string image = readFile(r.logPath);
    ASSERT_EQ(static_cast<long>(image.size()), driveLogSize(10));
    const std::vector<LogSample> got = logSamples(image);
    EXPECT_EQ(std::memcmp(got.data(), samples, 10 * sizeof(LogSample)), 0);
    PassLog passes;
    std::memcpy(&passes, image.data() + driveLogPassLogOffset(10), sizeof passes);
    EXPECT_EQ(passes.passCount, 2);
    EXPECT_EQ(passes.passTicks[1], 5300u + 15000u);
    Course course;
    std::memcpy(&course, image.data() + driveLogCourseOffset(10), sizeof course);
    EXPECT_STREQ(course.name, "changed while measuring") << "the course as it was last";

    discardRecordingJournal();
    EXPECT_FALSE(std::filesystem::exists(live));
}

TEST_F(JournalTest, DamagedTailIsCutAndForeignFilesAreRefused) {
    const std::string whole = killedRunJournal();
    const size_t firstPass = 416 + 8 * 48;  // the passes follow the samples
    std::string flipped = whole;
    flipped[firstPass + 10] ^= 0x40;
    const std::string noPass = whole.substr(0, firstPass);
    const std::string driveLog(driveLogSize(1), '\0');
    struct Case {
        const char* name;
        std::string bytes;
        JournalRecoveryStatus status;
        int32_t samples, passes;
        bool tailCut;
    } cases[] = {
        {"whole", whole, JournalRecoveryStatus::RECOVERED, 8, 2, false},
        {"torn last record", whole.substr(0, whole.size() - 5), JournalRecoveryStatus::RECOVERED, 8, 1, true},
        {"damaged record", flipped, JournalRecoveryStatus::NOTHING, 8, 0, true},
        {"no pass", noPass, JournalRecoveryStatus::NOTHING, 8, 0, false},
        {"a drive log", driveLog, JournalRecoveryStatus::REFUSED, 0, 0, false},
        {"header cut", whole.substr(0, 100), JournalRecoveryStatus::REFUSED, 0, 0, false},
    };
    int logsWritten = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = directory / "log/recording-7-0.journal";
        writeFile(path, c.bytes.data(), c.bytes.size());
        const JournalRecovery r = recoverJournal(path);
        EXPECT_EQ(r.status, c.status) << r.error;
        EXPECT_EQ(r.tailCut, c.tailCut);
        if (c.status == JournalRecoveryStatus::REFUSED) {
            EXPECT_NE(r.error.find("is not a recording journal"), std::string::npos) << r.error;
            EXPECT_EQ(readFile(path), c.bytes) << "left as it is";
            std::filesystem::remove(path);
            continue;
        }
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(r.sampleCount, c.samples);
        EXPECT_EQ(r.passCount, c.passes);
        if (c.status != JournalRecoveryStatus::RECOVERED) continue;
        const std::string image = readFile(r.logPath);
        ASSERT_EQ(static_cast<long>(image.size()), driveLogSize(c.samples));
        EXPECT_EQ(std::memcmp(image.data() + 4, samples, static_cast<size_t>(c.samples) * 40), 0);
        char number[16];
        std::snprintf(number, sizeof number, "_%03d.gpd", logsWritten++);
        EXPECT_EQ(std::filesystem::path(r.logPath).filename().string(), todayDateText() + number)
            << "the next free name";
    }
}

}  // namespace
