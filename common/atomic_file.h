// Whole-file writes that never leave a half-written file under the final name.
//
// The content goes to a temporary file in the target's folder (so the rename
// stays on one file system), is flushed and synced, and only then renamed
// over the target; the folder is synced after the rename so that the new name
// itself survives a power cut. A crash or a full disk leaves at worst a stray
// temporary file, never a truncated drive log, course or settings file.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

enum class FileWriteStatus {
    WRITTEN,         // the complete file is in place
    TARGET_EXISTS,   // keepExisting was asked and the name is taken; nothing written
    FAILED,          // see `error`; the target is unchanged unless the error says otherwise
};

struct FileWriteResult {
    FileWriteStatus status = FileWriteStatus::FAILED;
    std::string error;  // reason for FAILED, with the file name
};

// An int status (0 written; other codes as the writer documents them) with
// the reason of a failure ("cannot write PATH: reason"). It converts to the
// int status, so callers that compare codes keep working.
struct WriteOutcome {
    int status = 0;
    std::string error;
    operator int() const { return status; }  // NOLINT: callers compare the int status
};

// `write` puts the whole content into the open file and returns false on any
// short write. With keepExisting an existing file of that name is never
// replaced (TARGET_EXISTS is returned instead). An existing target the caller
// may not write (a read-only file) is never replaced either: FAILED, and the
// file keeps its content and mode, as writing it in place would.
FileWriteResult writeFileAtomically(const std::string& path,
                                    const std::function<bool(std::FILE*)>& write,
                                    bool keepExisting = false);

// Convenience form for content already in memory.
FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// Makes the folder `path` (its parent must exist) and syncs the parent so the
// new entry is on disk. An existing folder is success. Returns 0 or errno
// (ENOTDIR when the name is taken by something else).
int makeFolderDurably(const std::string& path, mode_t mode = 0777);

// Test seam: every folder sync goes through this (fsync by default). A test
// may replace it to see which folder is synced when, or to make it fail.
extern int (*atomicFileSyncFolder)(int folderFd);
