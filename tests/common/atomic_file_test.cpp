#include "common/atomic_file.h"

#include <gtest/gtest.h>

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

