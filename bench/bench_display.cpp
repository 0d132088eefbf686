// Screenshots of what the display selectors and help texts show, against
// the simulated pair (no figures). Run it under xvfb-run for the real window.
//
//   bench_display DIR   help-button.png, help-editor.png and page-<name>.png
//                       for each settings page, in DIR
#include <climits>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "app/startup.h"
#include "engine/cvi.h"
#include "engine/testing.h"
#include "params/vars.h"
#include "sim/sensor_pair.h"

namespace {

std::string binaryDir() {
    char buf[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string path(buf, n > 0 ? std::size_t(n) : 0);
    return path.substr(0, path.rfind('/'));
}

bool grab(const std::string& dir, const std::string& name) {
    TestFlushRepaints();
    TestRunEvents(200);
    const std::string png = dir + "/" + name;
    const bool ok = TestGrabPanel(pHandle, png);
    std::printf("%s: %s\n", png.c_str(), ok ? "written" : "FAILED");
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return std::fprintf(stderr, "usage: %s DIR\n", argv[0]), 2;
    const std::string dir = argv[1];
    if (!InitCVIRTE(argc, argv)) return 1;
    kvorsim::SensorPair pair(kvorsim::Options{});
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    SetProjectDir(binaryDir().c_str());
    SetComPortPath(1, pair.devicePath());
    if (!StartProgram()) return 1;
    TestRunEvents(300);

    bool ok = true;
    TestRightClick(pHandle, BTNVideo);
    ok &= grab(dir, "help-button.png");
    TestRightClick(pHandle, BTNVideo);  // hides it again
    // The tolerance editors take help only when the band comes from them.
    const auto modes = TestListItems(pPara0, DROPHardwareMode);
    for (std::size_t i = 0; i < modes.size(); ++i)
        if (modes[i].second == 0) TestChooseItem(pPara0, DROPHardwareMode, int(i));
    TestRightClick(pPara0, NUMToleranceUP);
    ok &= grab(dir, "help-editor.png");
    TestClick(pHandle, HelpText1);
    const struct { int toggle; const char* name; } pages[] = {
        {TOGGBTN_Para1, "page-master.png"}, {TOGGBTN_Para2, "page-slave.png"},
        {TOGGBTN_Calib, "page-calibration.png"}, {TOGGBTN_Para0, "page-common.png"}};
    for (const auto& p : pages) {
        TestClick(pHandle, p.toggle);
        ok &= grab(dir, p.name);
    }
    CloseCom(com);
    pair.stop();
    return ok ? 0 : 1;
}
