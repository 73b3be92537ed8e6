// gps-check --file as a user runs it: the built program, its summary and its
// exit status.
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    int exitStatus = -1;  // -1 when it did not exit normally
    std::string out, err;
};

Outcome runGpsCheck(std::vector<std::string> args) {
    Outcome outcome;
    const std::string program = std::string(BIN_DIR) + "/gps-check";
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2], err[2];
    if (pipe(out) != 0) return outcome;
    if (pipe(err) != 0) {
        close(out[0]);
        close(out[1]);
        return outcome;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid = -1;
    const bool spawned =
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    // Both pipes drained together, so neither side can block the other.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&outcome.out, &outcome.err};
    for (int open = spawned ? 2 : 0; open > 0;) {
        if (poll(fds, 2, 30000) <= 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, size_t(n));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    close(out[0]);
    close(err[0]);
    int status = 0;
    if (spawned && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
    }
    return outcome;
}

std::string capture(const char* name) { return std::string(TEST_DATA_DIR) + "/nmea/" + name; }

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// bu353s4 was saved with bare LF line ends. Ended in CR LF as the receiver
// sent it, the whole file gives 24 GGA and 25 RMC fixes (the same separate
// script as the simulated-receiver counts, here with the file's last lines
// decoded too); its first GGA comes before any position and completes nothing.
TEST(GpsCheckFile, LostCarriageReturnsAreRestoredUnlessRaw) {
    const Outcome mended = runGpsCheck({"--file", capture("bu353s4.nmea")});
    EXPECT_EQ(mended.exitStatus, 0) << mended.err;
    EXPECT_TRUE(contains(mended.out, "rejected lines: 0\nfixes: 49\n")) << mended.out;
    // The last fix, as the user reads it: Japan time, 8 and 3 decimals, the sentence.
    EXPECT_TRUE(contains(mended.out, "12時07分43秒  lat -37.78479500  lon 175.31490167  alt 83.900 m"
                                     "  sats 7  quality 1  GPRMC\n--\n"))
        << mended.out;
    EXPECT_EQ(mended.err, "");

    // Unchanged bytes: every line lacks its CR and is rejected. The option may
    // come on either side of the file name.
    for (const auto& args : {std::vector<std::string>{"--file", "--raw", capture("bu353s4.nmea")},
                             std::vector<std::string>{"--file", capture("bu353s4.nmea"), "--raw"}}) {
        const Outcome raw = runGpsCheck(args);
        EXPECT_EQ(raw.exitStatus, 0) << raw.err;
        EXPECT_TRUE(contains(raw.out, "rejected lines: 90\nfixes: 0\n")) << raw.out;
    }

    // A capture that kept its CR LF decodes the same either way: no doubled CR.
    const Outcome crlf = runGpsCheck({"--file", capture("garmin-10x.nmea")});
    const Outcome crlfRaw = runGpsCheck({"--file", "--raw", capture("garmin-10x.nmea")});
    EXPECT_TRUE(contains(crlf.out, "fixes: 18\n")) << crlf.out;
    EXPECT_EQ(crlf.out, crlfRaw.out);
}

TEST(GpsCheckFile, UnreadableFileFailsWithAMessage) {
    const std::string missing = capture("no-such-capture.nmea");
    const Outcome absent = runGpsCheck({"--file", missing});
    EXPECT_EQ(absent.exitStatus, 1);
    EXPECT_TRUE(contains(absent.err, "cannot read " + missing)) << absent.err;
    EXPECT_EQ(absent.out, "");  // no summary of nothing

    const Outcome folder = runGpsCheck({"--file", std::string(TEST_DATA_DIR) + "/nmea"});
    EXPECT_EQ(folder.exitStatus, 1);  // a message, not an abort
    EXPECT_TRUE(contains(folder.err, "cannot read")) << folder.err;

    const Outcome noFile = runGpsCheck({"--file", "--raw"});
    EXPECT_EQ(noFile.exitStatus, 2);
    EXPECT_TRUE(contains(noFile.err, "usage:")) << noFile.err;
}

}  // namespace
