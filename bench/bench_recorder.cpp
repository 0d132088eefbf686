// The recorder and the linearisation upload against the simulated pair
// paced at 19200 baud, the program's own start-up in this process. Prints
// figures; no assertions. Run it under xvfb-run for the real window.
//
//   bench_recorder [seconds]        a recording at interval 0 for that long
//                                   (default 10), then one upload
//   bench_recorder screenshots DIR  recorder.png (the pop-up while
//                                   recording) and upload.png (the main
//                                   panel during an upload) in DIR
#include <QTimer>

#include <climits>
#include <cstdio>
#include <cstdlib>
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

bool startProgram(kvorsim::SensorPair& pair) {
    SetProjectDir(binaryDir().c_str());
    SetComPortPath(1, pair.devicePath());
    if (!StartProgram()) return false;
    TestRunEvents(200);
    return true;
}

std::string tableFile() {
    const std::string path = "/tmp/kvor-bench-table-" + std::to_string(getpid()) + ".dat";
    std::string text;
    for (int i = 0; i < 2048; ++i) text += std::to_string(i * 16 - 16384) + "\n";
    FILE* f = std::fopen(path.c_str(), "w");
    if (f) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    return path;
}

// A recording at interval 0 for `seconds`, stopped as the recorder's STOP would.
void record(double seconds) {
    TestClick(pHandle, TOGGBTN_Recorder);
    CopyText(recfile_name, ("/tmp/kvor-bench-rec-" + std::to_string(getpid()) + ".dat").c_str());
    SetCtrlVal(pPopUp, NEDITRecSamples, 60000u);
    SetCtrlVal(pPopUp, NEDITRecTime, 0u);
    // Counted between 1 s in and the end, so start-up and STOP do not count.
    unsigned first = 0, records = 0;
    double t0 = 0, wall = 0;
    QTimer::singleShot(1000, [&] {
        GetCtrlVal(pPopUp, NUMRecCount, &first);
        t0 = Timer();
    });
    QTimer::singleShot(int(seconds * 1000), [&] {
        GetCtrlVal(pPopUp, NUMRecCount, &records);
        wall = Timer() - t0;
        records -= first;
        TestClick(pPopUp, BTNStopRecord);
    });
    TestClick(pPopUp, BTNStartRecord);
    long size = 0;
    GetFileInfo(recfile_name, &size);
    const double limit = 19200.0 / 10 / 72;
    std::printf("recording at interval 0: %u records in %.2f s = %.2f records/s, line limit %.2f frames/s, "
                "ratio %.3f (file %ld bytes)\n",
                records, wall, records / wall, limit, records / wall / limit, size);
    CVI_DeleteFile(recfile_name);
}

void upload(const std::string& table) {
    TestClick(pHandle, TOGGBTN_Calib);
    SetCtrlAttribute(pCalib, BTNWriteXFMA, ATTR_VISIBLE, 1);
    TestQueueFileSelect(table);
    const double t0 = Timer();
    TestClick(pCalib, BTNWriteXFMA);
    const double wall = Timer() - t0, line = 257 * 72 * 10.0 / 19200;
    std::string status;
    GetCtrlVal(pHandle, TEXTStatus, &status);
    std::printf("upload: 257 exchanges in %.2f s, line time %.2f s, ratio %.3f; status \"%s\"\n", wall, line,
                wall / line, status.c_str());
}

int screenshots(kvorsim::SensorPair&, const std::string& dir) {
    bool ok = true;
    const auto grab = [&](int panel, const std::string& name) {
        TestFlushRepaints();
        TestRunEvents(100);
        ok &= TestGrabPanel(panel, dir + "/" + name);
        std::printf("%s/%s\n", dir.c_str(), name.c_str());
    };
    TestClick(pHandle, TOGGBTN_Recorder);
    CopyText(recfile_name, ("/tmp/kvor-bench-rec-" + std::to_string(getpid()) + ".dat").c_str());
    TestTypeValue(pPopUp, NEDITRecSamples, "600");
    TestTypeValue(pPopUp, NEDITRecTime, "1");
    QTimer::singleShot(3500, [&] {
        grab(pPopUp, "recorder.png");
        TestClick(pPopUp, BTNStopRecord);
    });
    TestClick(pPopUp, BTNStartRecord);
    CVI_DeleteFile(recfile_name);
    TestClick(pHandle, TOGGBTN_Recorder);

    TestClick(pHandle, TOGGBTN_Calib);
    SetCtrlAttribute(pCalib, BTNWriteXFMA, ATTR_VISIBLE, 1);
    TestQueueFileSelect(tableFile());
    QTimer::singleShot(4000, [&] { grab(pHandle, "upload.png"); });
    TestClick(pCalib, BTNWriteXFMA);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (!InitCVIRTE(argc, argv)) return 1;
    kvorsim::SensorPair pair(kvorsim::Options{});
    if (!pair.start()) return std::fprintf(stderr, "pair: %s\n", pair.lastError().c_str()), 1;
    if (!startProgram(pair)) return 1;
    const std::string table = tableFile();
    int rc = 0;
    if (mode == "screenshots" && argc > 2)
        rc = screenshots(pair, argv[2]);
    else if (mode.empty() || std::atof(mode.c_str()) > 0) {
        record(mode.empty() ? 10.0 : std::atof(mode.c_str()));
        upload(table);
    } else {
        std::fprintf(stderr, "usage: %s [seconds] | screenshots DIR\n", argv[0]);
        rc = 2;
    }
    std::remove(table.c_str());
    CloseCom(com);
    pair.stop();
    return rc;
}
