// The kvor-sim command as a user runs it: options, the printed device path,
// the symlink, and a clean end on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "support/sim_line.h"

using namespace simtest;

namespace {

// kvor-sim from the tests' own directory, its stdout on a pipe; the shell
// prints its pid first, then becomes the command. Killed and reaped on scope exit.
class Sim {
public:
    explicit Sim(const std::string& args) {
        const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
        out_ = ::popen(("echo $$; exec '" + (dir / "kvor-sim").string() + "' " + args).c_str(), "r");
        pid_ = out_ ? std::stoi("0" + line()) : 0;
    }
    ~Sim() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        if (out_) ::pclose(out_);
    }
    bool started() const { return pid_ > 0; }
    std::string line() {
        char buf[256] = {};
        return std::fgets(buf, sizeof buf, out_) ? std::string(buf, std::strcspn(buf, "\n")) : "";
    }
    std::string rest() {
        std::string text;
        for (int c; (c = std::fgetc(out_)) != EOF;) text += char(c);
        return text;
    }
    // The exit status, or -1 when it ended by a signal.
    int wait(int sig = 0) {
        if (sig) ::kill(pid_, sig);
        const int status = ::pclose(out_);
        out_ = nullptr;
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    FILE* out_ = nullptr;
    pid_t pid_ = 0;
};

TEST(SimCli, HelpSucceedsAndBadOptionsAreUsageErrors) {
    Sim help("--help");
    ASSERT_TRUE(help.started());
    EXPECT_NE(help.rest().find("--symlink"), std::string::npos) << "build kvor-sim next to the tests";
    EXPECT_EQ(help.wait(), 0);
    for (const char* args : {"--bogus", "--model 70000", "--cut-reply 8", "stray"}) {
        Sim bad(std::string(args) + " 2>/dev/null");
        EXPECT_EQ(bad.wait(), 2) << args;
    }
}

TEST(SimCli, ServesTheConfiguredPairUntilTerminated) {
    const std::string link = ::testing::TempDir() + "kvor-sim-cli-" + std::to_string(::getpid());
    Sim sim("--no-pacing --symlink '" + link +
            "' --model 1024 --firmware 304 --board 1 --firmware-text HELLO --echo-sync 0x55AA");
    ASSERT_EQ(sim.line(), link);
    {
        Line line(link);
        // Board type, firmware and model words; the firmware text as plain bytes.
        const Bytes hw = line.exchange(request(10), 36);
        EXPECT_EQ((W{wordAt(hw, 10), wordAt(hw, 20), wordAt(hw, 22)}), (W{1, 304, 1024}));
        const Bytes r = line.exchange(request(7), 72);
        EXPECT_EQ(std::string(r.begin(), r.end()), "HELLO" + std::string(67, '\0'));
        EXPECT_EQ(wordAt(line.exchange(request(5), 36), 0), 0x55AA);
    }
    EXPECT_EQ(sim.wait(SIGTERM), 0);
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the symlink goes with the command";
}

}  // namespace
