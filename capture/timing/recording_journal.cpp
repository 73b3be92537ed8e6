#include "capture/timing/recording_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "capture/timing/course.h"
#include "capture/timing/drive_log_writer.h"
#include "capture/timing/journal_format.h"
#include "capture/timing/recorder.h"
#include "common/error_text.h"

namespace {

std::mutex passLock;
PassLog publishedPasses;

PassLog publishedPassLog() {
    std::lock_guard<std::mutex> guard(passLock);
    return publishedPasses;
}

// This run's journal. Written by the journal thread while it runs and by the
// caller of start, stop and discard otherwise (the thread start and join
// order the two).
struct OpenJournal {
    int fd = -1;
    std::string path;
    int32_t samplesWritten = 0;
    int32_t passesWritten = 0;
    Course course;
    std::vector<unsigned char> buffer;  // one flush's records, reused
};
OpenJournal journal;

std::mutex lifeLock;  // start, stop and discard from any thread, one at a time
std::thread journalThread;
std::mutex wakeLock;
std::condition_variable wake;
bool stopAsked = false;  // under wakeLock

std::mutex errorLock;
std::string journalError;

void setJournalError(const std::string& error) {
    std::lock_guard<std::mutex> guard(errorLock);
    journalError = error;
}

void append(uint32_t kind, const void* payload, size_t bytes) {
    JournalRecordHead head;
    head.kind = kind;
    head.check = recordCheck(kind, payload, bytes);
    const auto* h = reinterpret_cast<const unsigned char*>(&head);
    const auto* p = static_cast<const unsigned char*>(payload);
    journal.buffer.insert(journal.buffer.end(), h, h + sizeof head);
    journal.buffer.insert(journal.buffer.end(), p, p + bytes);
}

bool writeAll(int fd, const unsigned char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t put = ::write(fd, bytes, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        count -= static_cast<size_t>(put);
    }
    return true;
}

// Appends what the recorder and the lap timer added since the last flush.
void flushJournal() {
    if (journal.fd < 0) return;
    journal.buffer.clear();
    const int32_t count = sampleCount.load();
    for (int32_t i = journal.samplesWritten; i < count; ++i) append(JOURNAL_SAMPLE, &samples[i], sizeof(LogSample));
    const PassLog passes = publishedPassLog();
    const int32_t passCount = std::clamp(passes.passCount, 0, PASS_LOG_CAPACITY);
    for (int32_t k = journal.passesWritten; k < passCount; ++k) {
        const JournalPass pass{passes.passTicks[k], k};
        append(JOURNAL_PASS, &pass, sizeof pass);
    }
    const Course course = currentCourse();
    if (std::memcmp(&course, &journal.course, sizeof course) != 0) {
        append(JOURNAL_COURSE, &course, sizeof course);
        journal.course = course;
    }
    if (journal.buffer.empty()) return;
    if (!writeAll(journal.fd, journal.buffer.data(), journal.buffer.size()) || ::fdatasync(journal.fd) != 0) {
        // A full disk or a vanished folder: the run stays in memory as without
        // a journal, and the orderly stop still writes it.
        setJournalError("cannot append to the recording journal " + journal.path + ": " + systemErrorText(errno));
        ::close(journal.fd);
        journal.fd = -1;
        return;
    }
    journal.samplesWritten = count;
    journal.passesWritten = std::max(journal.passesWritten, passCount);
}

void journalLoop() {
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(wakeLock);
    for (;;) {
        next += std::chrono::milliseconds(JOURNAL_FLUSH_MS);
        if (wake.wait_until(lock, next, [] { return stopAsked; })) return;
        lock.unlock();
        flushJournal();
        lock.lock();
    }
}

void syncFolderOf(const std::string& path) {
    const std::string folder = path.substr(0, path.find_last_of('/') + 1);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // the new name survives a power cut; a failure only weakens that
    ::close(fd);
}

bool createJournal(int32_t samplingPeriodMs, std::string& error) {
    const std::string directory = driveLogDirectory();
    ::mkdir(directory.c_str(), 0777);  // an existing folder is fine; a failure shows at the open
    static int32_t runNumber = 0;  // a kept journal of an earlier run is never reused
    const std::string path = directory + JOURNAL_PREFIX + std::to_string(::getpid()) + "-" +
                             std::to_string(runNumber++) + JOURNAL_SUFFIX;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create the recording journal " + path + ": " + systemErrorText(errno);
        return false;
    }
    ::flock(fd, LOCK_EX | LOCK_NB);  // marks it as in use; released by the kernel at any end
    JournalHeader header;
    std::memcpy(header.magic, JOURNAL_MAGIC, sizeof header.magic);
    header.headerBytes = sizeof header;
    const std::string date = todayDateText();
    std::memcpy(header.dateText, date.data(), std::min(date.size(), sizeof header.dateText - 1));
    header.samplingPeriodMs = samplingPeriodMs;
    header.course = currentCourse();
    header.check = headerCheck(header);
    if (!writeAll(fd, reinterpret_cast<const unsigned char*>(&header), sizeof header) || ::fdatasync(fd) != 0) {
        error = "cannot write the recording journal " + path + ": " + systemErrorText(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return false;
    }
    syncFolderOf(path);
    journal = OpenJournal{};
    journal.fd = fd;
    journal.path = path;
    journal.course = header.course;
    journal.buffer.reserve(64 * 1024);
    return true;
}

void stopThreadLocked() {
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        stopAsked = true;
    }
    wake.notify_all();
    if (journalThread.joinable()) journalThread.join();
}

}  // namespace

void publishPassLog(const PassLog& log) {
    std::lock_guard<std::mutex> guard(passLock);
    publishedPasses = log;
}

bool startRecordingJournal(int32_t samplingPeriodMs) {
    std::lock_guard<std::mutex> life(lifeLock);
    std::string error;
    stopThreadLocked();
    // A journal kept from a run whose drive log failed: that run is no longer
    // in memory, so its file stays for the next program start to recover.
    if (journal.fd >= 0) ::close(journal.fd);
    journal = OpenJournal{};
    if (!createJournal(samplingPeriodMs, error)) {
        setJournalError(error);
        return false;
    }
    setJournalError("");
    {
        std::lock_guard<std::mutex> guard(wakeLock);
        stopAsked = false;
    }
    try {
        journalThread = std::thread(journalLoop);
    } catch (const std::system_error& e) {
        setJournalError(std::string("no journal thread: ") + e.what());
        ::close(journal.fd);
        ::unlink(journal.path.c_str());
        journal = OpenJournal{};
        return false;
    }
    return true;
}

void stopRecordingJournal() {
    std::lock_guard<std::mutex> life(lifeLock);
    stopThreadLocked();
}

void discardRecordingJournal() {
    std::lock_guard<std::mutex> life(lifeLock);
    stopThreadLocked();
    if (journal.fd >= 0) ::close(journal.fd);
    if (!journal.path.empty()) ::unlink(journal.path.c_str());
    journal = OpenJournal{};
}

std::string recordingJournalError() {
    std::lock_guard<std::mutex> guard(errorLock);
    return journalError;
}

std::string recordingJournalPath() {
    std::lock_guard<std::mutex> life(lifeLock);
    return journal.path;
}
