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

// Runs ProgramMain; once it has entered its event loop (its quit handler is
// in place just before), asks it to quit the way a desktop session would.
int RunProgramThenQuit() {
    std::atomic<bool> done{false};
    std::thread watcher([&done] {
        while (!done) {
            if (QuitHandlerInstalled()) {
                kill(getpid(), SIGTERM);
                return;
            }
            std::this_thread::sleep_for(2ms);
        }
    });
    const int rc = ProgramMain();
    done = true;
    watcher.join();
    return rc;
}

class StartupProgram : public ::testing::Test {
protected:
    void SetUp() override {
        SetProjectDir(TestBinaryDir().c_str());
        TIMEOUT = 0.3;
    }
    void TearDown() override {
        if (pair_) pair_->stop();
        SetComPortPath(1, "");
        TIMEOUT = 1.5;
    }
    kvorsim::SensorPair& Pair() {
        kvorsim::Options o;
        o.pacing = false;
        pair_ = std::make_unique<kvorsim::SensorPair>(o);
        EXPECT_TRUE(pair_->start());
        SetComPortPath(1, pair_->devicePath());
        return *pair_;
    }
    std::unique_ptr<kvorsim::SensorPair> pair_;
};

struct Failure {
    const char* name;
    std::function<void(kvorsim::SensorPair&)> inject;
    const char* status;
};

TEST_F(StartupProgram, EveryStartUpReachesTheEventLoopAndEndsCleanly) {
    const Failure cases[] = {
        {"answering pair", [](kvorsim::SensorPair&) {}, "K-VOR-QX-MS FIRMWARE V3.05"},
        {"silent line", [](kvorsim::SensorPair& p) { p.setSilent(true); }, "Timeout-RS-232..."},
        {"wrong echo sync", [](kvorsim::SensorPair& p) { p.setEchoSync(0x0055); },
         "read error - not sync byte 0xAA!"},
        {"short firmware", [](kvorsim::SensorPair& p) { p.setFirmwareLength(10); },
         "Error reading firmware-info!"},
        {"hardware echo", [](kvorsim::SensorPair& p) { p.setCommandEcho(10, 8); },
         "K-VOR-QX-MS FIRMWARE V3.05"},
        {"unknown sensor",
         [](kvorsim::SensorPair& p) {
             kvorsim::HardwareInfo hw;
             hw.ccdType = 9;
             hw.model = 1;
             p.setHardware(hw);
         },
         "K-VOR-QX-MS FIRMWARE V3.05"},
    };
    for (const Failure& f : cases) {
        SCOPED_TRACE(f.name);
        auto& pair = Pair();
        f.inject(pair);
        EXPECT_EQ(RunProgramThenQuit(), 0);
        std::string status = szStatus;
        while (!status.empty() && status.back() == ' ') status.pop_back();
        EXPECT_EQ(status, f.status);
        EXPECT_EQ(stop_flag, 1);
        EXPECT_LT(GetInQLen(1), 0);  // port closed on the way out
        pair.stop();
        pair_.reset();
    }
}

TEST_F(StartupProgram, MissingDeviceStillReachesTheEventLoop) {
    SetComPortPath(1, "/nonexistent/kvor-tty");
    EXPECT_EQ(RunProgramThenQuit(), 0);
    EXPECT_EQ(std::string(szStatus), "Cannot open port");
}

TEST_F(StartupProgram, MissingResourceFileEndsWithMinusOne) {
    char tmpl[] = "/tmp/kvor-nores-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    SetProjectDir(tmpl);
    EXPECT_EQ(ProgramMain(), -1);
    rmdir(tmpl);
}

// The real executable: starts its own simulated pair, reaches its event loop
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
    for (int i = 0; i < 3000 && !inLoop; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) break;
        std::ifstream in(statusPath);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("SigCgt:", 0) == 0) {
                const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
                inLoop = mask & (1ull << (SIGTERM - 1));
            }
        }
        if (!inLoop) std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(inLoop) << "kvor-scope never reached its event loop";
    kill(pid, SIGTERM);
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(StartupExecutable, HelpListsTheOptions) {
    const std::string exe = TestBinaryDir() + "/kvor-scope";
    FILE* out = popen((exe + " --help").c_str(), "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buf[256];
    while (fgets(buf, sizeof buf, out)) text += buf;
    EXPECT_EQ(pclose(out), 0);
    EXPECT_NE(text.find("--simulate"), std::string::npos);
    EXPECT_NE(text.find("--port N=PATH"), std::string::npos);
}

}  // namespace
