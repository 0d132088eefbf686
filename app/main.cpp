// kvor-scope: the program's entry.
#include <cstdio>
#include <memory>
#include <string>

#include "app/options.h"
#include "app/startup.h"
#include "engine/cvi.h"
#include "sim/sensor_pair.h"

int main(int argc, char** argv) {
    ProgramOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "kvor-scope: %s\n\n%s", error.c_str(), UsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    if (!InitCVIRTE(argc, argv)) return -1;

    // The simulated pair runs paced at the line's speed, so the demo shows
    // the start-up as a real pair would.
    std::unique_ptr<kvorsim::SensorPair> pair;
    if (options.simulate) {
        kvorsim::Options simOptions;
        simOptions.pacing = true;
        simOptions.baud = 19200;
        pair = std::make_unique<kvorsim::SensorPair>(simOptions);
        if (!pair->start()) {
            std::fprintf(stderr, "kvor-scope: cannot start the simulated pair: %s\n",
                         pair->lastError().c_str());
            return -1;
        }
        SetComPortPath(1, pair->devicePath());
    }
    for (const auto& [port, path] : options.ports) SetComPortPath(port, path);

    const int rc = ProgramMain();
    if (pair) pair->stop();
    return rc;
}
