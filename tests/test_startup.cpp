// Start-up against the simulated pair: the exchange on the line, what it
// leaves in the record and on the panels, every way it can fail.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <thread>

#include "support/program_fixture.h"

namespace {

using Item = std::pair<std::string, int>;
using namespace std::chrono_literals;
const std::string kFirmware = "K-VOR-QX-MS FIRMWARE V3.05";

using Startup = ProgramTest;

uint16_t WordAt(const uint8_t* b, int offset) { return static_cast<uint16_t>(b[offset] << 8 | b[offset + 1]); }

TEST_F(Startup, ExchangeSequenceFramesAndWhatThePanelsShow) {
    auto& pair = StartPair({.ramPages = SensorPages()});
    const auto page0 = RecordPage(0), page1 = RecordPage(1), page2 = RecordPage(2);
    StartUp();

    ASSERT_EQ(Commands(pair), (std::vector<uint16_t>{5, 10, 2, 2, 2, 7}));
    const auto req = pair.requests();
    const uint16_t args[] = {0, 0, 0, 1, 2, 0};
    // The echo carries page 0; the hardware request the words the echo reply
    // left, word 0 holding the reply's sync word; the firmware request the
    // last page read.
    std::vector<uint16_t> echoWords = FrameWords(pair.replies().at(0).bytes);
    echoWords[0] = 0x00AA;
    const std::vector<std::vector<uint16_t>> sent = {page0, echoWords, page0, page1, page2, ToVector(SensorPages()[2])};
    for (std::size_t i = 0; i < req.size(); ++i) {
        EXPECT_EQ(WordAt(req[i].bytes.data(), 0), 0x0055) << i;
        EXPECT_EQ(WordAt(req[i].bytes.data(), 4), args[i]) << i;
        EXPECT_TRUE(req[i].line.isSensorLine()) << i;
        EXPECT_EQ(FrameWords(req[i].bytes), sent[i]) << i;
    }
    EXPECT_EQ(StatusTrimmed(), kFirmware);
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(SensorPages()[p])) << p;
    // The panels show the pages: read back, they give the same record.
    EXPECT_EQ((std::array<int, 4>{Val(pPara0, NUMToleranceUP), Val(pTrigg, NUMTrig4), Val(pPara2, NUMPixEndB),
                                  Val(pPara1, RINGGainA)}), (std::array<int, 4>{130, 14, 3900, 1}));
    EXPECT_DOUBLE_EQ(Real(pCalib, NUMScaleA), 1.5);
    GetPanelValues();
    for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(SensorPages()[p])) << p;

    // Identification: description, gain items, trigger item, firmware functions.
    EXPECT_EQ(TestTextBoxLines(pCalib, TEXTSensorInfo),
              (std::vector<std::string>{"1024-pixel; 7.8\xB5m pixel-pitch", "4096-subpixel",
                                        "resolution    = +/-10\xB5m", "working-range = 80mm +/-10mm"}));
    EXPECT_EQ(TestListItems(pPara2, RINGGainB), (std::vector<Item>{{"LOW GAIN", 0}, {"HIGH GAIN", 1}}));
    EXPECT_EQ(TestListItems(pPara0, RINGTrgMode).at(3), (Item{"INTERN-TRIG", 3}));
    EXPECT_EQ(Attr(pHandle, BTNData, ATTR_VISIBLE), 1);
    EXPECT_EQ(TestGraph(pHandle, GRAPHVideoSlave)->xAxis.max, 4096);
    EXPECT_EQ(xArray128[127], 32.0 * 127);
}

// Each case a fresh pair and identification.
TEST_F(Startup, EachSensorAndEachFaultAtStartUp) {
    const std::vector<uint16_t> all = {5, 10, 2, 2, 2, 7};
    std::vector<std::string> linesBefore;
    std::vector<Item> gainBefore;
    const std::string blank(32, ' ');
    const struct {
        const char* name;
        std::function<void(kvorsim::SensorPair&)> inject;
        std::string status;  // trimmed; empty: not checked
        std::vector<uint16_t> commands;
        std::function<void()> check;
    } cases[] = {
        {"no device for the number", [](auto&) {
             com = 200;
             SetCtrlAttribute(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED, 1);
         }, "Invalid port number", {}, [] {
             EXPECT_EQ(Attr(pPara1, SLIDEVideoTHD_A, ATTR_DIMMED), 0);  // undimmed whatever the outcome
         }},
        {"device gone", [](auto&) { SetComPortPath(1, "/nonexistent/kvor-tty"); }, "Cannot open port", {}, [] {}},
        {"silent line", [](auto& p) { p.setSilent(true); }, "Timeout-RS-232...", {5}, [] {}},
        {"wrong echo sync", [](auto& p) { p.setEchoSync(0x55AA); }, "read error - not sync byte 0xAA!", {5}, [] {}},
        // A hardware time-out takes nothing; the sequence goes on.
        {"hardware time-out", [](auto& p) { p.silenceOnce(10); }, kFirmware, all, [] {
             EXPECT_EQ(ccdtype, 0);
             EXPECT_EQ(xArray128[1], 0.0);
         }},
        // A wrong echo overwrites the words but touches no panel.
        {"hardware echo 11", [&](auto& p) {
             p.setHardware({.ccdType = 4, .virtPixel = 2048});
             p.setCommandEcho(10, 11);
             linesBefore = TestTextBoxLines(pCalib, TEXTSensorInfo);
         }, kFirmware, all, [&] {
             EXPECT_EQ((std::array<int, 2>{ccdtype, ccdvirtpixel}), (std::array<int, 2>{4, 2048}));
             EXPECT_EQ(TestTextBoxLines(pCalib, TEXTSensorInfo), linesBefore);
             EXPECT_EQ(xArray128[1], 0.0);
         }},
        {"short firmware reply", [](auto& p) { p.setFirmwareLength(40); }, "Error reading firmware-info!", all,
         [] { EXPECT_EQ(std::string(szVersion), ""); }},
        // Taken as success, not decoded: the status keeps the last page's message.
        {"long firmware reply", [](auto& p) { p.setFirmwareLength(80); }, "Parameter-frame received! - Line Ok!",
         all, [] { EXPECT_EQ(nBytesR, 80); }},
        {"firmware flood", [](auto& p) { p.setFirmwareLength(3000); }, "", all, [] {
             EXPECT_LE(nBytesR, 1024);  // no further than the buffer
             EXPECT_GE(nBytesR, 72);
         }},
        // What the identification makes of other sensors.
        {"firmware 304 hides DATA and the internal trigger", [](auto& p) { p.setHardware({.firmware = 304}); },
         kFirmware, all, [] {
             EXPECT_EQ((std::array<int, 3>{Attr(pHandle, BTNData, ATTR_VISIBLE), Attr(pHandle, TOGBTN_Trigg, ATTR_VISIBLE),
                                           Attr(pPara2, NUMTriggThresholdB, ATTR_DIMMED)}),
                       (std::array<int, 3>{0, 0, 1}));
             EXPECT_EQ(TestListItems(pPara0, RINGTrgMode).at(3), (Item{"NOT-USED", 3}));
             parameter.trgmode = 3;  // still selects that item, and goes back out as 3
             SetPanelValues();
             parameter.trgmode = 0;
             GetPanelValues();
             EXPECT_EQ(parameter.trgmode, 3);
         }},
        {"CCD type 4, a model of type 1 only, unknown pixel counts",
         [](auto& p) { p.setHardware({.ccdType = 4, .maxPixel = 1000, .virtPixel = 3000, .model = 10037}); },
         kFirmware, all, [&] {
             EXPECT_EQ(TestTextBoxLines(pCalib, TEXTSensorInfo),
                       (std::vector<std::string>{"CCD-SENSOR: No Info Avialable!", blank, blank, blank}));
             EXPECT_EQ(TestListItems(pPara1, RINGGainA), (std::vector<Item>{{"ADC-CONV", 0}, {"DIG-COMP", 1}}));
             // The axes get the count as received; the program then works with 2048.
             EXPECT_EQ(TestGraph(pHandle, GRAPHVideoSlave)->xAxis.max, 3000.0);
             EXPECT_EQ((std::array<int, 3>{ccdvirtpixel, ccdmaxpixel, YAXISMAX}), (std::array<int, 3>{2048, 1024, 2048}));
             EXPECT_EQ(xArray128[127], 16.0 * 127);
         }},
        {"unknown CCD type leaves gain items and trigger functions alone", [&](auto& p) {
             p.setHardware({.ccdType = 2, .firmware = 200});
             gainBefore = TestListItems(pPara2, RINGGainB);
             ADCMAX = 1024;
         }, kFirmware, all, [&] {
             EXPECT_EQ(TestTextBoxLines(pCalib, TEXTSensorInfo)[0], "CCD-SENSOR: No Info Avialable!");
             EXPECT_EQ((std::array<int, 2>{ADCMAX, YAXISMAX}), (std::array<int, 2>{256, 4096}));
             EXPECT_EQ(TestListItems(pPara2, RINGGainB), gainBefore);
             EXPECT_EQ(Attr(pHandle, BTNData, ATTR_VISIBLE), 0);  // as firmware 304 left it
         }},
        // The receive notification takes exactly one 36-byte frame, whether the
        // bytes trickle in or come as a 40-byte burst.
        {"paced line", [](auto& p) { p.setPacing(true); }, kFirmware, all, [] {}},
        {"four extra bytes after each page", [](auto& p) { p.setExtraBytes(2, 4); }, kFirmware, all, [] {
             for (unsigned short p = 0; p < 3; ++p) EXPECT_EQ(RecordPage(p), ToVector(kvorsim::defaultPages()[p])) << p;
             PushGET(1, 0);  // the notification drops the extra bytes itself
             EXPECT_TRUE(TestWaitFor([] { return GetInQLen(com) == 0; }, 500));
         }},
        // Text firmware of other boards, no terminator: what fits the status.
        {"text firmware", [](auto& p) { p.setHardware({.boardType = 1}); p.setFirmwareText(std::string(72, 'F')); },
         std::string(71, 'F'), all, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseCom(com);
        com = 1;
        ResetHardwareDescription();
        auto& pair = StartPair();
        c.inject(pair);
        InitRS232(com);
        if (!c.status.empty()) EXPECT_EQ(StatusTrimmed(), c.status);
        EXPECT_EQ(Commands(pair), c.commands);
        c.check();
    }
}

// The real executable starts its own simulated pair, reaches its event loop
// (SIGTERM is caught only from there on) and ends with 0; --help ends with 0
// too; without a display it ends with -1.
TEST(StartupExecutable, SimulatedRunEndsWithZeroOnTerminate) {
    const std::string exe = TestBinaryDir() + "/kvor-scope";
    const std::string errPath = ::testing::TempDir() + "kvor-start-" + std::to_string(getpid());
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("KVOR_NO_DIALOGS", "1", 1);
        if (!std::freopen(errPath.c_str(), "w", stderr)) _exit(126);
        execl(exe.c_str(), exe.c_str(), "--simulate", static_cast<char*>(nullptr));
        _exit(127);
    }
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
    // Every callback the resource file names is bound.
    std::ifstream startErr(errPath);
    std::set<std::string> missing;
    for (std::string line; std::getline(startErr, line);)
        if (auto at = line.find("callback \""); at != std::string::npos)
            missing.insert(line.substr(at + 10, line.find('"', at + 10) - at - 10));
    EXPECT_EQ(missing, std::set<std::string>{});
    std::remove(errPath.c_str());

    EXPECT_EQ(std::system((exe + " --help >/dev/null").c_str()), 0);
    // Without a display it says so and ends with -1 instead of aborting.
    const std::string err = ::testing::TempDir() + "kvor-nodisplay-" + std::to_string(getpid());
    status = std::system(("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + exe + " 2>" + err).c_str());
    EXPECT_EQ(WEXITSTATUS(status), 255);
    std::ifstream in(err);
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(in), {}).find("no display found"), std::string::npos);
    std::remove(err.c_str());
}

}  // namespace
