// Turning a journal left by a killed or crashed recorder into a drive log.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "capture/timing/drive_log_writer.h"
#include "capture/timing/journal_format.h"
#include "capture/timing/recording_journal.h"
#include "common/error_text.h"

namespace {

bool readWhole(int fd, std::vector<unsigned char>& bytes) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    bytes.resize(done);
    return true;
}

bool isDateText(const char* text) {
    for (int i = 0; i < 8; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return text[8] == '\0';
}

struct JournalContent {
    JournalHeader header;
    std::vector<LogSample> samples;
    PassLog passes;
    Course course;
    bool tailCut = false;
};

// Reads the header and every whole record; false when the bytes are no journal of ours.
bool parseJournal(const std::vector<unsigned char>& bytes, JournalContent& content) {
    if (bytes.size() < sizeof(JournalHeader)) return false;
    std::memcpy(&content.header, bytes.data(), sizeof(JournalHeader));
    const JournalHeader& h = content.header;
    if (std::memcmp(h.magic, JOURNAL_MAGIC, sizeof h.magic) != 0 || h.version != JOURNAL_VERSION ||
        h.headerBytes != sizeof(JournalHeader) || h.check != headerCheck(h))
        return false;
    content.course = h.course;
    size_t at = sizeof(JournalHeader);
    unsigned char payload[sizeof(Course)];
    while (at + sizeof(JournalRecordHead) <= bytes.size()) {
        JournalRecordHead head;
        std::memcpy(&head, bytes.data() + at, sizeof head);
        const size_t size = journalPayloadBytes(head.kind);
        if (size == 0 || at + sizeof head + size > bytes.size()) break;
        std::memcpy(payload, bytes.data() + at + sizeof head, size);
        if (head.check != recordCheck(head.kind, payload, size)) break;
        at += sizeof head + size;
        if (head.kind == JOURNAL_SAMPLE) {
            content.samples.emplace_back();
            std::memcpy(&content.samples.back(), payload, size);
        } else if (head.kind == JOURNAL_COURSE) {
            std::memcpy(&content.course, payload, size);
        } else {
            JournalPass pass;
            std::memcpy(&pass, payload, size);
            // Passes come in order; the log holds the first PASS_LOG_CAPACITY.
            if (pass.index != content.passes.passCount || pass.index >= PASS_LOG_CAPACITY) continue;
            content.passes.passTicks[pass.index] = pass.tick;
            content.passes.passCount += 1;
        }
    }
    content.tailCut = at != bytes.size();
    return true;
}

void removeJournal(const std::string& path, int fd) {
    ::unlink(path.c_str());
    ::close(fd);
}

JournalRecovery convert(const std::string& path, int fd) {
    JournalRecovery result;
    result.journalPath = path;
    std::vector<unsigned char> bytes;
    JournalContent content;
    if (!readWhole(fd, bytes)) {
        result.status = JournalRecoveryStatus::FAILED;
        result.error = "cannot read " + path + ": " + systemErrorText(errno);
        ::close(fd);
        return result;
    }
    if (!parseJournal(bytes, content)) {
        result.error = path + " is not a recording journal";
        ::close(fd);
        return result;
    }
    result.tailCut = content.tailCut;
    result.sampleCount = static_cast<int32_t>(content.samples.size());
    result.passCount = content.passes.passCount;
    if (content.samples.empty() || content.passes.passCount == 0) {
        result.status = JournalRecoveryStatus::NOTHING;  // as at a stop: no pass, no file
        removeJournal(path, fd);
        return result;
    }
    const std::string date = isDateText(content.header.dateText) ? content.header.dateText : todayDateText();
    int32_t counter = 0;
    const DriveLogParts log{content.samples.data(), result.sampleCount, content.passes, content.course};
    const DriveLogResult written = writeDriveLogContent(log, date, counter);
    if (written.status != DRIVE_LOG_WRITTEN) {
        result.status = JournalRecoveryStatus::FAILED;
        result.error = written.error;
        ::close(fd);
        return result;
    }
    result.status = JournalRecoveryStatus::RECOVERED;
    result.logPath = written.path;
    removeJournal(path, fd);
    return result;
}

bool isJournalName(const std::string& name) {
    const std::string prefix = JOURNAL_PREFIX, suffix = JOURNAL_SUFFIX;
    return name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

JournalRecovery recoverJournal(const std::string& path) {
    JournalRecovery result;
    result.journalPath = path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        result.status = JournalRecoveryStatus::FAILED;
        result.error = "cannot open " + path + ": " + systemErrorText(errno);
        return result;
    }
    // The lock held by a running recorder; one left by a dead process is gone with it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        result.status = JournalRecoveryStatus::IN_USE;
        return result;
    }
    return convert(path, fd);
}

std::vector<JournalRecovery> recoverJournals() {
    std::vector<JournalRecovery> results;
    const std::string directory = driveLogDirectory();
    DIR* folder = ::opendir(directory.c_str());
    if (folder == nullptr) return results;
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        if (isJournalName(entry->d_name)) names.emplace_back(entry->d_name);
    }
    ::closedir(folder);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        JournalRecovery one = recoverJournal(directory + name);
        if (one.status != JournalRecoveryStatus::IN_USE) results.push_back(std::move(one));
    }
    return results;
}
