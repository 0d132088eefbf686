// The whole program: ProgramMain in this process until it reaches its event
// loop, and the real executable with --simulate.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "support/program_fixture.h"

namespace {

using namespace std::chrono_literals;

// Runs ProgramMain; once it has entered its event loop, asks it to quit the
// way a desktop session would.
int RunProgramThenQuit() {
    std::atomic<bool> done{false};
    std::thread watcher([&done] {
        for (; !done; std::this_thread::sleep_for(2ms))
            if (QuitHandlerInstalled()) {
                kill(getpid(), SIGTERM);
                return;
            }
    });
    const int rc = ProgramMain();
    done = true;
    watcher.join();
    return rc;
}

using StartupProgram = ProgramMainTest;

TEST_F(StartupProgram, EveryStartUpReachesTheEventLoopAndEndsCleanly) {
    const std::string ok = "K-VOR-QX-MS FIRMWARE V3.05";
    const struct {
        const char* name;
        std::function<void(kvorsim::SensorPair&)> inject;
        std::string status;
    } cases[] = {
        {"answering pair", [](kvorsim::SensorPair&) {}, ok},
        {"silent line", [](kvorsim::SensorPair& p) { p.setSilent(true); }, "Timeout-RS-232..."},
        {"wrong echo sync", [](kvorsim::SensorPair& p) { p.setEchoSync(0x0055); }, "read error - not sync byte 0xAA!"},
        {"short firmware", [](kvorsim::SensorPair& p) { p.setFirmwareLength(10); }, "Error reading firmware-info!"},
        {"hardware echo", [](kvorsim::SensorPair& p) { p.setCommandEcho(10, 8); }, ok},
        {"unknown sensor", [](kvorsim::SensorPair& p) { p.setHardware({.ccdType = 9, .model = 1}); }, ok},
        {"missing device", [](kvorsim::SensorPair&) { SetComPortPath(1, "/nonexistent/kvor-tty"); },
         "Cannot open port"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.inject(Pair());
        EXPECT_EQ(RunProgramThenQuit(), 0);
        EXPECT_EQ(TrimRight(szStatus), c.status);
        EXPECT_EQ(stop_flag, 1);
        EXPECT_LT(GetInQLen(1), 0);  // port closed on the way out
    }
}

TEST_F(StartupProgram, MissingResourceFileEndsWithMinusOne) {
    char tmpl[] = "/tmp/kvor-nores-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    SetProjectDir(tmpl);
    EXPECT_EQ(ProgramMain(), -1);
    rmdir(tmpl);
}

// The real executable starts its own simulated pair, reaches its event loop
// (SIGTERM is caught only from there on) and ends with 0.
TEST(StartupExecutable, SimulatedRunEndsWithZeroOnTerminate) {
    const std::string exe = TestBinaryDir() + "/kvor-scope";
    ASSERT_TRUE(std::filesystem::exists(exe)) << exe;
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("KVOR_NO_DIALOGS", "1", 1);
        execl(exe.c_str(), exe.c_str(), "--simulate", static_cast<char*>(nullptr));
        _exit(127);
    }
    // SigCgt of the child shows SIGTERM caught once its handler is in place.
    const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
    bool inLoop = false;
    int status = 0;
    for (int i = 0; i < 3000 && !inLoop && waitpid(pid, &status, WNOHANG) != pid; ++i) {
        std::ifstream in(statusPath);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("SigCgt:", 0) == 0) inLoop = std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGTERM - 1));
        if (!inLoop) std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(inLoop) << "kvor-scope never reached its event loop";
    kill(pid, SIGTERM);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StartupExecutable, HelpListsTheOptions) {
    FILE* out = popen((TestBinaryDir() + "/kvor-scope --help").c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buf[256];
    while (fgets(buf, sizeof buf, out)) text += buf;
    EXPECT_EQ(pclose(out), 0);
    EXPECT_NE(text.find("--simulate"), std::string::npos);
    EXPECT_NE(text.find("--port N=PATH"), std::string::npos);
}

}  // namespace
