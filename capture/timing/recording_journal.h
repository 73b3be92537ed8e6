// The recording journal: a crash-safe copy of the running measurement.
//
// While the recorder runs, a journal thread appends the new samples, counted
// passes and course changes to log/recording-PID.journal once a second
// (append, then fdatasync; nothing written is ever rewritten), so a killed
// process, a crash or a power cut loses at most the last second. An orderly
// stop that writes the drive log (or has nothing to write) removes the
// journal. At the next start a journal left behind becomes a normal drive log.
//
// File layout, little-endian (the drive log's own records inside):
//   header, 416 bytes:
//     0   char[8]   magic "VLMJRNL\0"
//     8   uint32    version, 1
//     12  uint32    header size, 416
//     16  char[16]  local date of the recording, "20YYMMDD", NUL-padded
//     32  int32     sampling period in ms
//     36  int32     0
//     40  Course    the course at the start (368 bytes)
//     408 uint32    FNV-1a of bytes 0..407
//     412 uint32    0
//   then records, each an 8-byte head {uint32 kind, uint32 FNV-1a of kind and
//   payload} and a payload of the kind's fixed size:
//     kind 1, sample: one LogSample (40 bytes)
//     kind 2, pass:   uint32 tick, int32 index in the pass log (8 bytes)
//     kind 3, course: the whole Course after a change (368 bytes)
// A record cut short or with a wrong check ends the journal: what follows is
// a damaged tail (the process died while appending) and is dropped.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "common/records.h"

constexpr uint32_t JOURNAL_FLUSH_MS = 1000;

// The lap timer's pass log as the journal thread may read it: the lap check
// publishes a copy after every counted pass and at every clearing. Any thread.
void publishPassLog(const PassLog& log);

// Creates the journal in the drive log folder and starts its thread (the
// recorder, right after its own start). A journal that cannot be created
// leaves the measurement running without one: false, and
// recordingJournalError() says why.
bool startRecordingJournal(int32_t samplingPeriodMs);
// Why this run has no journal (creation or a later append failed); "" while
// it has one.
std::string recordingJournalError();
// Stops the journal thread; the file stays until discarded. Safe without one.
void stopRecordingJournal();
// Stops the thread if needed and removes this run's journal: its drive log is
// written, or the driver chose not to keep the run.
void discardRecordingJournal();
// Path of this run's journal, "" when none is open or kept.
std::string recordingJournalPath();

enum class JournalRecoveryStatus {
    RECOVERED,  // written as a drive log; the journal is removed
    NOTHING,    // no sample or no counted pass: no drive log, the journal is removed
    REFUSED,    // not a journal of ours: left as it is
    FAILED,     // the drive log could not be written: the journal is kept for the next start
    IN_USE,     // a running recorder holds it: left alone
};
struct JournalRecovery {
    JournalRecoveryStatus status = JournalRecoveryStatus::REFUSED;
    std::string journalPath;
    std::string logPath;     // RECOVERED: the drive log written
    std::string error;       // REFUSED / FAILED: why
    bool tailCut = false;    // a damaged tail was dropped
    int32_t sampleCount = 0;
    int32_t passCount = 0;
};
// Turns one journal into a drive log in the drive log folder, named after the
// day it was recorded with the first free number.
JournalRecovery recoverJournal(const std::string& path);
// Every journal left in the drive log folder (start-up of velmora and
// velmora-record). Journals held by a running recorder are not listed.
std::vector<JournalRecovery> recoverJournals();
