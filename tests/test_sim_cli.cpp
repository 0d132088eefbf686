// The kvor-sim command as a user runs it: options, the printed device path,
// the symlink, and a clean end on SIGTERM.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <climits>
#include <filesystem>

#include "support/sim_line.h"

extern char** environ;

using namespace simtest;

namespace {

std::string simCommand() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kvor-sim").string();
}

// A running kvor-sim with its stdout on a pipe; killed and reaped on scope exit.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        args.insert(args.begin(), simCommand());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, argv[0], &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        out_ = out[0];
        if (rc != 0) pid_ = -1;
    }
    ~SimProcess() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(out_);
    }
    bool started() const { return pid_ > 0; }

    // What it prints, until `untilNewline` is met, end of output, or 5 s of quiet.
    std::string output(bool untilNewline = false) {
        std::string text;
        while (!(untilNewline && text.find('\n') != std::string::npos)) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) break;
            char buf[512];
            const ssize_t n = ::read(out_, buf, sizeof buf);
            if (n <= 0) break;
            text.append(buf, std::size_t(n));
        }
        return text;
    }
    std::string firstLine() {
        const std::string text = output(true);
        return text.substr(0, text.find('\n'));
    }
    // The exit status, or -1 when it ended by a signal.
    int wait(int sig = 0) {
        if (sig) ::kill(pid_, sig);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
};

TEST(SimCli, HelpSucceedsAndBadOptionsAreUsageErrors) {
    SimProcess help({"--help"});
    ASSERT_TRUE(help.started()) << "build kvor-sim next to the tests";
    EXPECT_NE(help.output().find("--symlink"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
    for (std::vector<std::string> args : {std::vector<std::string>{"--bogus"}, {"--model", "70000"},
                                          {"--cut-reply", "8"}, {"stray"}}) {
        SimProcess p(args);
        ASSERT_TRUE(p.started());
        EXPECT_EQ(p.wait(), 2) << args[0];
    }
}

TEST(SimCli, ServesTheConfiguredPairUntilTerminated) {
    const std::string link = ::testing::TempDir() + "kvor-sim-cli-" + std::to_string(::getpid());
    SimProcess p({"--no-pacing", "--symlink", link, "--model", "1024", "--firmware", "304", "--board", "1",
                  "--firmware-text", "HELLO", "--echo-sync", "0x55AA"});
    ASSERT_TRUE(p.started());
    ASSERT_EQ(p.firstLine(), link);
    {
        Line line(link);
        Bytes r = line.exchange(request(10), 36);
        ASSERT_EQ(r.size(), 36u);
        EXPECT_EQ(wordAt(r, 10), 1) << "board type";
        EXPECT_EQ(wordAt(r, 20), 304);
        EXPECT_EQ(wordAt(r, 22), 1024);
        r = line.exchange(request(7), 72);
        ASSERT_EQ(r.size(), 72u);
        EXPECT_EQ(std::string(r.begin(), r.begin() + 6), std::string("HELLO\0", 6));
        EXPECT_EQ(wordAt(line.exchange(request(5), 36), 0), 0x55AA);
    }
    EXPECT_EQ(p.wait(SIGTERM), 0);
    struct stat st{};
    EXPECT_NE(::lstat(link.c_str(), &st), 0) << "the symlink goes with the command";
}

}  // namespace
