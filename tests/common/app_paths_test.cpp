// Where a program reads its shipped files and writes its own: unchanged in a
// build tree, the data folder and XDG folders once installed.
#include "platform/app_paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/temp_dir.h"

namespace {

struct Case {
    const char* name;
    bool installed;
    platform::AppEnvironment environment;
    const char* settings;  // under the test folder, "" = beside the program
    const char* records;
};

TEST(AppPaths, BuildTreeKeepsEverythingBesideTheProgramInstalledCopiesUseXdg) {
    const Case cases[] = {
        {"build tree", false, {"/home/u", "/x/cfg", "/x/data"}, "", ""},
        {"installed, XDG set", true, {"/home/u", "/x/cfg", "/x/data/"},
         "/x/cfg/velmora-quindle/", "/x/data/velmora-quindle/"},
        {"installed, XDG unset", true, {"/home/u", "", ""},
         "/home/u/.config/velmora-quindle/", "/home/u/.local/share/velmora-quindle/"},
        {"installed, relative XDG ignored", true, {"/home/u", "cfg", "data"},
         "/home/u/.config/velmora-quindle/", "/home/u/.local/share/velmora-quindle/"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string bin = dir / "bin/";
        std::filesystem::create_directories(bin);
        if (c.installed) std::filesystem::create_directories(dir / "share/velmora-quindle");
        // The folder is read-only to its user; root never writes into an installed bin/.
        using std::filesystem::perms;
        std::filesystem::permissions(bin, perms::owner_read | perms::owner_exec);
        const platform::AppPaths paths = platform::resolveAppPaths(bin, c.environment);
        std::filesystem::permissions(bin, perms::owner_all);
        const std::string data = c.installed ? dir / "share/velmora-quindle/" : bin;
        EXPECT_EQ(paths.dataDirectory, data) << c.name;
        EXPECT_EQ(paths.settingsDirectory, *c.settings ? c.settings : bin) << c.name;
        EXPECT_EQ(paths.recordsDirectory, *c.records ? c.records : bin) << c.name;
    }
}

TEST(AppPaths, AnInstalledCopyTheUserOwnsAndCanWriteKeepsItsFilesBesideItself) {
    if (::geteuid() == 0) GTEST_SKIP() << "root never writes beside an installed program";
    TempDir dir;
    const std::string bin = dir / "bin/";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(dir / "share/velmora-quindle");
    const platform::AppPaths paths = platform::resolveAppPaths(bin, {"/home/u", "", ""});
    EXPECT_EQ(paths.dataDirectory, dir / "share/velmora-quindle/");
    EXPECT_EQ(paths.settingsDirectory, bin);
    EXPECT_EQ(paths.recordsDirectory, bin);
}

}  // namespace
