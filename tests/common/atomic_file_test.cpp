#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/atomic_file.h"

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("atomic_file_" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir;
};

TEST_F(AtomicFile, ReplacesTheTargetAndLeavesNoTemporary) {
    const std::string path = (dir / "a.bin").string();
    ASSERT_EQ(writeFileAtomically(path, std::string_view("old")).status, FileWriteStatus::WRITTEN);
    ASSERT_EQ(writeFileAtomically(path, std::string_view("new\0x", 5)).status,
              FileWriteStatus::WRITTEN);
    EXPECT_EQ(read(path), std::string("new\0x", 5));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
}

TEST_F(AtomicFile, FailedWriteKeepsTheOldFileAndNamesIt) {
    const std::string path = (dir / "b.bin").string();
    ASSERT_EQ(writeFileAtomically(path, std::string_view("keep")).status, FileWriteStatus::WRITTEN);
    FileWriteResult r = writeFileAtomically(path, [](std::FILE*) { return false; });
    EXPECT_EQ(r.status, FileWriteStatus::FAILED);
    EXPECT_NE(r.error.find(path), std::string::npos);
    EXPECT_EQ(read(path), "keep");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);

    FileWriteResult missing = writeFileAtomically((dir / "no" / "c.bin").string(), std::string_view("x"));
    EXPECT_EQ(missing.status, FileWriteStatus::FAILED);
    EXPECT_FALSE(missing.error.empty());
}

TEST_F(AtomicFile, KeepExistingNeverReplaces) {
    const std::string path = (dir / "c.bin").string();
    ASSERT_EQ(writeFileAtomically(path, std::string_view("first")).status, FileWriteStatus::WRITTEN);
    FileWriteResult r = writeFileAtomically(
        path, [](std::FILE* f) { return std::fputs("second", f) >= 0; }, true);
    EXPECT_EQ(r.status, FileWriteStatus::TARGET_EXISTS);
    EXPECT_EQ(read(path), "first");
}

}  // namespace
