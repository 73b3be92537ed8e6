#include "common/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/error_text.h"

int (*atomicFileSyncFolder)(int folderFd) = ::fsync;

namespace {

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + systemErrorText(error);
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// 0 or errno. A file system that cannot sync folders (EINVAL) has nothing more to do.
int syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    int error = atomicFileSyncFolder(fd) == 0 ? 0 : errno;
    if (error == EINVAL) error = 0;
    ::close(fd);
    return error;
}

// Removes the temporary file; the reason gains a note when even that fails.
void discard(const std::string& temporary, std::string& reason) {
    if (::unlink(temporary.c_str()) != 0 && errno != ENOENT)
        reason += "; " + describe("cannot remove", temporary, errno);
}

// Moves the finished temporary file to its final name. Without keepExisting
// this is a plain rename; with it the name must still be free at that moment.
int moveIntoPlace(const std::string& from, const std::string& to, bool keepExisting, std::string& note) {
    if (!keepExisting) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without RENAME_NOREPLACE: link() also refuses an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    discard(from, note);  // the target is complete; a second name left behind is only told
    return 0;
}

// A rename replaces a read-only file as readily as any other (only the folder
// counts), which would silently drop the user's protection: refuse instead.
int checkReplaceable(const std::string& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) != 0) return 0;
    if (S_ISDIR(existing.st_mode)) return EISDIR;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

}  // namespace

FileWriteResult writeFileAtomically(const std::string& path,
                                    const std::function<bool(std::FILE*)>& write,
                                    bool keepExisting) {
    FileWriteResult result;
    struct stat existing;
    if (keepExisting && ::lstat(path.c_str(), &existing) == 0) {
        result.status = FileWriteStatus::TARGET_EXISTS;
        return result;
    }
    if (const int error = checkReplaceable(path); error != 0) {
        result.error = describe("cannot write", path, error);
        return result;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = folder + "." + leaf + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        result.error = describe("cannot create", path, errno);
        return result;
    }
    const std::string temporary(name.data());
    std::FILE* file = ::fdopen(fd, "w+b");
    if (file == nullptr) {
        result.error = describe("cannot create", path, errno);
        ::close(fd);
        discard(temporary, result.error);
        return result;
    }
    errno = 0;
    bool ok = write(file) && std::fflush(file) == 0 && ::fsync(fd) == 0;
    int error = errno != 0 ? errno : EIO;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        result.error = describe("cannot write", path, error);
        discard(temporary, result.error);
        return result;
    }
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::chmod(temporary.c_str(), 0666 & ~mask) != 0) {
        result.error = describe("cannot set the permissions of", path, errno);
        discard(temporary, result.error);
        return result;
    }
    std::string note;
    if (int moveError = moveIntoPlace(temporary, path, keepExisting, note); moveError != 0) {
        std::string reason = describe("cannot rename into", path, moveError);
        discard(temporary, reason);
        if (moveError == EEXIST) {
            result.status = FileWriteStatus::TARGET_EXISTS;
            return result;
        }
        result.error = reason;
        return result;
    }
    if (const int syncError = syncFolder(folderOf(path)); syncError != 0) {
        result.error = describe("written but not made durable:", path, syncError) + note;
        return result;
    }
    result.status = FileWriteStatus::WRITTEN;
    result.error = note.empty() ? "" : note.substr(2);
    return result;
}

FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes) {
    return writeFileAtomically(path, [bytes](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

int makeFolderDurably(const std::string& path, mode_t mode) {
    if (::mkdir(path.c_str(), mode) != 0) {
        const int error = errno;
        struct stat existing;
        if (error != EEXIST) return error;
        return ::stat(path.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode) ? 0 : ENOTDIR;
    }
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return syncFolder(folderOf(trimmed));
}
