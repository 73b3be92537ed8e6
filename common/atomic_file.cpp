#include "common/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/error_text.h"

namespace {

std::string describe(const std::string& what, const std::string& path, int error) {
    return what + " " + path + ": " + systemErrorText(error);
}

// Moves the finished temporary file to its final name. Without keepExisting
// this is a plain rename; with it the name must still be free at that moment.
int moveIntoPlace(const std::string& from, const std::string& to, bool keepExisting) {
    if (!keepExisting) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // File systems without RENAME_NOREPLACE: link() also refuses an existing name.
    if (::link(from.c_str(), to.c_str()) != 0) return errno;
    ::unlink(from.c_str());
    return 0;
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
        ::unlink(temporary.c_str());
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
        ::unlink(temporary.c_str());
        result.error = describe("cannot write", path, error);
        return result;
    }
    // mkstemp makes the file private; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temporary.c_str(), 0666 & ~mask);
    if (int moveError = moveIntoPlace(temporary, path, keepExisting); moveError != 0) {
        ::unlink(temporary.c_str());
        if (moveError == EEXIST) {
            result.status = FileWriteStatus::TARGET_EXISTS;
            return result;
        }
        result.error = describe("cannot rename into", path, moveError);
        return result;
    }
    result.status = FileWriteStatus::WRITTEN;
    return result;
}

FileWriteResult writeFileAtomically(const std::string& path, std::string_view bytes) {
    return writeFileAtomically(path, [bytes](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}
