// The kvor-sim command as a user runs it: options, the printed device path,
// the symlink, and a clean end on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "support/sim_line.h"

using namespace simtest;

namespace {

// kvor-sim from the tests' own directory, its stdout on a pipe; the shell
// prints its pid first, then becomes the command. Killed and reaped on scope exit.
struct Sim {
    explicit Sim(const std::string& args) {
        const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        out = ::popen(("echo $$; exec '" + (dir / "kvor-sim").string() + "' " + args).c_str(), "r");
        pid = out ? std::atoi(line().c_str()) : 0;
    }
    ~Sim() {
        if (pid > 0) ::kill(pid, SIGKILL);
        if (out) ::pclose(out);
    }
    std::string line() {
        std::string text;
        for (int c; (c = std::fgetc(out)) != EOF && c != '\n';) text += char(c);
        return text;
    }
    // The exit status, or -1 when it ended by a signal.
    int wait(int sig = 0) {
        if (sig) ::kill(pid, sig);
        const int status = ::pclose(std::exchange(out, nullptr));
        pid = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    FILE* out;
    pid_t pid;
};

TEST(SimCli, HelpSucceedsAndBadOptionsAreUsageErrors) {
    Sim help("--help");
    EXPECT_EQ(help.line(), "Usage: kvor-sim [options]") << "build kvor-sim next to the tests";
    EXPECT_EQ(help.wait(), 0);
    for (const char* args : {"--bogus", "--model 70000", "--cut-reply 8", "stray"})
        EXPECT_EQ(Sim(std::string(args) + " 2>/dev/null").wait(), 2) << args;
}

TEST(SimCli, ServesTheConfiguredPairUntilTerminated) {
    const std::string link = ::testing::TempDir() + "kvor-sim-cli-" + std::to_string(::getpid());
    Sim sim("--no-pacing --symlink '" + link +
            "' --model 1024 --firmware 304 --board 1 --firmware-text HELLO --echo-sync 0x55AA");
    ASSERT_EQ(sim.line(), link);
    Line line(link);
    // Board type, firmware and model words; the firmware text as plain bytes.
    const Bytes hw = line.exchange(request(10), 36);
    EXPECT_EQ((W{wordAt(hw, 10), wordAt(hw, 20), wordAt(hw, 22)}), (W{1, 304, 1024}));
    const Bytes r = line.exchange(request(7), 72);
    EXPECT_EQ(std::string(r.begin(), r.end()), "HELLO" + std::string(67, '\0'));
    EXPECT_EQ(wordAt(line.exchange(request(5), 36), 0), 0x55AA);
    EXPECT_EQ(sim.wait(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "the symlink goes with the command";
}

}  // namespace
