// The program's functions run in the test process against an in-process
// simulated pair on a pty (unpaced); each test loads the panels afresh.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/initvars.h"
#include "app/startup.h"
#include "engine/cvi.h"
#include "engine/testing.h"
#include "engine/testing_graph.h"
#include "engine/testing_io.h"
#include "link/com232.h"
#include "link/paraframe.h"
#include "panel/binding.h"
#include "params/record.h"
#include "params/vars.h"
#include "sim/sensor_pair.h"

inline std::string TestBinaryDir() { return std::filesystem::read_symlink("/proc/self/exe").parent_path(); }

// The program installs its quit-signal handler just before its event loop.
inline bool QuitHandlerInstalled() {
    struct sigaction sa {};
    sigaction(SIGTERM, nullptr, &sa);
    return sa.sa_handler != SIG_DFL && sa.sa_handler != SIG_IGN;
}

// Pages unlike the defaults in every field the panels show.
inline kvorsim::Pages SensorPages() {
    return {{{2, 1, 3, 2, 17, 0, 120, 130, 11, 12, 13, 14, 99, 4464, 1},
             {600, 0, 40, 1000, 5, 4000, 1, 60, 7, 8, 9, 1536, 0, 38000, 0},
             {700, 0, 45, 3000, 6, 3900, 0, 61, 3, 2, 1, 2048, 0, 70000 & 0xFFFF, 1}}};
}

inline std::vector<uint16_t> ToVector(const kvorsim::Page& p) { return {p.begin(), p.end()}; }

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteAll(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class ProgramTest : public ::testing::Test {
public:
    void SetUp() override {
        SetProjectDir(TestBinaryDir().c_str());
        ASSERT_EQ(LoadPanels(), 1);
        GetProjectDir(proj_dir);
        TIMEOUT = 0.3;  // keeps failing exchanges quick; time-out tests set 1.5
        ResetHardwareDescription();
        InitVars();
        TestResetPopups();
    }

    void TearDown() override {
        for (int port : {com, 1, 2}) CloseCom(port);
        for (auto& p : pairs_) p->stop();
        pairs_.clear();
        for (int panel : {pPara0, pPara1, pPara2, pCalib, pTrigg, pPopUp, pHandle})
            if (panel > 0) DiscardPanel(panel);
        pHandle = pPara0 = pPara1 = pPara2 = pCalib = pTrigg = pPopUp = 0;
        TIMEOUT = 1.5;
        TestResetPopups();
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }

    // `name` in a folder of the test's own, removed after the test.
    std::string Path(const std::string& name) {
        if (dir_.empty()) {
            char tmpl[] = "/tmp/kvor-test-XXXXXX";
            dir_ = mkdtemp(tmpl) ? tmpl : "/tmp";
        }
        return dir_ + "/" + name;
    }

    // Starts a pair (unpaced) and makes it COM `port`.
    kvorsim::SensorPair& StartPair(kvorsim::Options options = {}, int port = 1) {
        options.pacing = false;
        pairs_.push_back(std::make_unique<kvorsim::SensorPair>(options));
        kvorsim::SensorPair& pair = *pairs_.back();
        EXPECT_TRUE(pair.start()) << pair.lastError();
        SetComPortPath(port, pair.devicePath());
        return pair;
    }

    // InitVars leaves these to the identification.
    static void ResetHardwareDescription() {
        ccdtype = ccdresolution = pcbtype = ccdpixB = ccdpixE = softversion = hwtype = adcmax = 0;
        std::fill(std::begin(xArray128), std::end(xArray128), 0.0);
        szVersion[0] = '\0';
        nBytesR = nBytesW = 0;
    }

    static void StartUp() {
        InitRS232(com);
        InitGUI();
    }

    static std::string Status() {
        std::string s;
        GetCtrlVal(pHandle, TEXTStatus, &s);
        return s;
    }
    // A board of type 0 pads its firmware text with blanks.
    static std::string StatusTrimmed() { return Status().erase(Status().find_last_not_of(' ') + 1); }
    template <class T = int>
    static T Val(int panel, int ctrl) {
        T v{};
        GetCtrlVal(panel, ctrl, &v);
        return v;
    }
    static double Real(int panel, int ctrl) { return Val<double>(panel, ctrl); }
    static int Attr(int panel, int ctrl, int attr) {
        int v = -1;
        GetCtrlAttribute(panel, ctrl, attr, &v);
        return v;
    }
    // The attribute of each of `ctrls`, in order.
    static std::vector<int> Attrs(std::initializer_list<int> ctrls, int attr, int panel = pHandle) {
        std::vector<int> v;
        for (int ctrl : ctrls) v.push_back(Attr(panel, ctrl, attr));
        return v;
    }
    static void PressStop() {
        TestPress(pHandle, BTNStop);
        TestRelease(pHandle, BTNStop);
    }
    static std::vector<uint16_t> Commands(const kvorsim::SensorPair& pair) {
        std::vector<uint16_t> c;
        for (const auto& r : pair.requests()) c.push_back(r.command);
        return c;
    }
    // Words 0..14 of a frame's bytes (array or vector).
    template <class Bytes>
    static std::vector<uint16_t> FrameWords(const Bytes& b) {
        std::vector<uint16_t> w;
        for (int i = 0; i < 15; ++i) w.push_back(static_cast<uint16_t>(b[6 + 2 * i] << 8 | b[7 + 2 * i]));
        return w;
    }
    static std::vector<uint16_t> RecordPage(unsigned short page) {
        CopyVarsToPP(page);
        return {pp, pp + 15};
    }
    static std::vector<std::vector<uint16_t>> Record() { return {RecordPage(0), RecordPage(1), RecordPage(2)}; }
    static const GraphData& Bar(int graph) { return *TestGraph(pHandle, graph); }
    static std::vector<const GraphPlot*> Rectangles(int graph) {
        std::vector<const GraphPlot*> r;
        for (const auto& p : Bar(graph).plots)
            if (p.kind == GraphPlot::Kind::Rectangle) r.push_back(&p);
        return r;
    }
    // Picks the item of value `value` in a ring or drop-down, as the user does.
    static int Choose(int panel, int ctrl, int value) {
        const auto items = TestListItems(panel, ctrl);
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].second == value) return TestChooseItem(panel, ctrl, static_cast<int>(i));
        ADD_FAILURE() << "value " << value << " not offered";
        return -1;
    }
    static int ChoosePort(int port) { return Choose(pHandle, DropDCom, port); }

protected:
    std::string dir_;

private:
    std::vector<std::unique_ptr<kvorsim::SensorPair>> pairs_;
};

// For ProgramMain itself, which loads and discards the panels on its own.
class ProgramMainTest : public ::testing::Test {
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
    // An unpaced pair as COM1, replacing any earlier one.
    kvorsim::SensorPair& Pair() {
        if (pair_) pair_->stop();
        pair_ = std::make_unique<kvorsim::SensorPair>(kvorsim::Options{.pacing = false});
        EXPECT_TRUE(pair_->start());
        SetComPortPath(1, pair_->devicePath());
        return *pair_;
    }
    std::unique_ptr<kvorsim::SensorPair> pair_;
};
