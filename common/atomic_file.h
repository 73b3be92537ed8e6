// Whole-file writes that never leave a half-written file under the final name.
//
// The content goes to a temporary file in the target's folder (so the rename
// stays on one file system), is flushed and synced, and only then renamed
// over the target. A crash or a full disk leaves at worst a stray temporary
// file, never a truncated drive log, course or settings file.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

enum class FileWriteStatus {
    WRITTEN,         // the complete file is in place
    TARGET_EXISTS,   // keepExisting was asked and the name is taken; nothing written
    FAILED,          // nothing changed under the final name; see `error`
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
    operator int() const { return status; }  // NOLINT: the int status is the design's result
};

// `write` puts the whole content into the open file and returns false on any
// short write. With keepExisting an existing file of that name is never
// replaced (TARGET_EXISTS is returned instead).
FileWriteResult writeFileAtomically(const std::string& path,
                                    const std::function<bool(std::FILE*)>& write,
                                    bool keepExisting = false);

// Convenience form for content already in memory.
FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes);
