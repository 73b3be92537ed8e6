#include "common/atomic_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "tests/support/temp_dir.h"

TEST(AtomicFile, ReplacesTheTargetWholeOrNotAtAllAndLeavesNoTemporary) {
    TempDir dir;
    const std::string path = dir / "a.bin";
    ASSERT_EQ(writeFileAtomically(path, std::string_view("old")).status, FileWriteStatus::WRITTEN);
    ASSERT_EQ(writeFileAtomically(path, std::string_view("new\0x", 5)).status,
              FileWriteStatus::WRITTEN);
    EXPECT_EQ(readFile(path), std::string("new\0x", 5));

    const FileWriteResult failed = writeFileAtomically(path, [](std::FILE*) { return false; });
    EXPECT_EQ(failed.status, FileWriteStatus::FAILED);
    EXPECT_NE(failed.error.find(path), std::string::npos) << "the message names the file";
    const FileWriteResult kept = writeFileAtomically(
        path, [](std::FILE* f) { return std::fputs("second", f) >= 0; }, /*keepExisting=*/true);
    EXPECT_EQ(kept.status, FileWriteStatus::TARGET_EXISTS);
    EXPECT_EQ(readFile(path), std::string("new\0x", 5));
    EXPECT_EQ(dir.entries(), 1);
    EXPECT_EQ(writeFileAtomically(dir / "no/c.bin", std::string_view("x")).status,
              FileWriteStatus::FAILED);
}


namespace {

struct SyncSeen {
    std::string folder;
    std::string targetContent;  // the target's content when its folder was synced
};
std::vector<SyncSeen> syncsSeen;
std::string watchedTarget;
int syncFailure = 0;

int recordingSync(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    std::error_code error;
    syncsSeen.push_back({std::filesystem::read_symlink(link, error).string(), readFile(watchedTarget)});
    if (syncFailure != 0) {
        errno = syncFailure;
        return -1;
    }
    return 0;
}

struct SyncSpy {
    explicit SyncSpy(std::string target) {
        watchedTarget = std::move(target);
        syncsSeen.clear();
        syncFailure = 0;
        atomicFileSyncFolder = recordingSync;
    }
    ~SyncSpy() { atomicFileSyncFolder = ::fsync; }
};

}  // namespace

TEST(AtomicFile, TheFolderIsSyncedAfterTheRenameAndAFailedSyncIsReported) {
    TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.path()).string();
    SyncSpy spy(dir / "a.pref");
    ASSERT_EQ(writeFileAtomically(dir / "a.pref", std::string_view("new")).status, FileWriteStatus::WRITTEN);
    ASSERT_EQ(syncsSeen.size(), 1u);
    EXPECT_EQ(syncsSeen[0].folder, folder);
    EXPECT_EQ(syncsSeen[0].targetContent, "new") << "synced after the rename, not before";

    syncFailure = EIO;
    const FileWriteResult failed = writeFileAtomically(dir / "a.pref", std::string_view("newer"));
    EXPECT_EQ(failed.status, FileWriteStatus::FAILED) << "a write that may not survive is not success";
    EXPECT_NE(failed.error.find("a.pref"), std::string::npos);
    syncFailure = EINVAL;  // a file system that cannot sync folders
    EXPECT_EQ(writeFileAtomically(dir / "a.pref", std::string_view("x")).status, FileWriteStatus::WRITTEN);

    // A new folder is synced into its parent; an existing one is fine; a file in the way is not.
    syncFailure = 0;
    syncsSeen.clear();
    EXPECT_EQ(makeFolderDurably(dir / "log/"), 0);
    ASSERT_EQ(syncsSeen.size(), 1u);
    EXPECT_EQ(syncsSeen[0].folder, folder);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "log"));
    EXPECT_EQ(makeFolderDurably(dir / "log"), 0);
    EXPECT_EQ(makeFolderDurably(dir / "a.pref"), ENOTDIR);
    EXPECT_EQ(makeFolderDurably(dir / "no/log"), ENOENT);
}

// Root may write any file, so the check is run as an ordinary user in a child.
TEST(AtomicFile, AReadOnlyFileIsNeitherReplacedNorLoosenedForAnOrdinaryUser) {
    TempDir dir;
    constexpr uid_t NOBODY = 65534;
    const std::string locked = dir / "quindle.pref", open = dir / "quindlew.pref";
    const std::string content("\x01\x00\xff settings", 12);
    writeFile(locked, content.data(), content.size());
    writeFile(open, "old", 3);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    for (const std::string& p : {dir.path().string(), locked, open}) ASSERT_EQ(::chown(p.c_str(), NOBODY, NOBODY), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::getuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(NOBODY) != 0 || ::setuid(NOBODY) != 0)) ::_exit(10);
        int code = 0;
        const FileWriteResult refused = writeFileAtomically(locked, std::string_view("defaults"));
        if (refused.status != FileWriteStatus::FAILED || refused.error.find(locked) == std::string::npos) code |= 1;
        if (writeFileAtomically(open, std::string_view("new")).status != FileWriteStatus::WRITTEN) code |= 2;
        ::_exit(code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: read-only file replaced, 2: writable file not written, 10: no user switch";
    EXPECT_EQ(readFile(locked), content);
    struct stat st {};
    ASSERT_EQ(::stat(locked.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);
    EXPECT_EQ(readFile(open), "new");
    EXPECT_EQ(dir.entries(), 2) << "no temporary left behind";
}
