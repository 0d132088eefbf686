// kvor-sim: the simulated sensor pair as a command of its own, for demos and
// for trying the program by hand against a device on a pseudo-terminal.
#include <getopt.h>
#include <signal.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "sim/sensor_pair.h"

namespace {

const char kHelp[] =
    "Usage: kvor-sim [options]\n"
    "Runs a simulated MASTER/SLAVE sensor pair on a pseudo-terminal, prints its\n"
    "device path and answers requests until SIGINT or SIGTERM.\n"
    "\n"
    "Line:\n"
    "  -l, --symlink PATH       also make PATH a symlink to the device (removed at exit)\n"
    "      --no-pacing          answer at once instead of at the line's speed\n"
    "      --baud N             line speed used for pacing (default 19200, 10 bits a byte)\n"
    "      --turnaround MS      sensor time between request and reply (default 0)\n"
    "      --stall MS           drop a partial request after this pause (default 100)\n"
    "      --strict             answer only when the port is set to 19200 8N1 without handshake\n"
    "      --no-write-reply     send no reply to parameter writes (commands 1 and 3)\n"
    "      --seed N             seed of the laser line's noise (default 1)\n"
    "\n"
    "Hardware identity (hardware-information reply):\n"
    "      --ccd-type N         CCD type code (default 1)\n"
    "      --pixels N           physical pixels (default 1024)\n"
    "      --resolution N       resolution code (default 0)\n"
    "      --board N            board type; 0 sends the firmware text one character\n"
    "                           per word, others as plain bytes (default 0)\n"
    "      --virt-pixels N      virtual pixels (default 4096)\n"
    "      --sub-pixels N       sub-pixel count (default 4)\n"
    "      --first-pixel N      first CCD pixel (default 1)\n"
    "      --last-pixel N       last CCD pixel (default 1024)\n"
    "      --firmware N         firmware version (default 305)\n"
    "      --model N            model code (default 10080; 1024 gives a 10-bit video signal)\n"
    "      --firmware-text TEXT firmware information text\n"
    "\n"
    "Faults (last until the command ends):\n"
    "      --silent             answer nothing\n"
    "      --echo-sync N        sync word of the echo-check reply (default 0x00AA)\n"
    "      --extra-bytes N      send N more bytes after every reply\n"
    "      --cut-reply CMD:N    cut replies to command CMD to their first N bytes\n"
    "      --firmware-length N  length of the firmware reply (default 72)\n"
    "      --command-echo CMD:E put command word E in replies to command CMD\n"
    "\n"
    "  -v, --log                log every request and reply to stderr\n"
    "  -h, --help               show this text\n"
    "Numbers may be decimal or 0x-prefixed hexadecimal.\n";

bool parseNumber(const char* text, unsigned long max, unsigned long& out) {
    if (!text || !*text || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoul(text, &end, 0);
    return errno == 0 && *end == '\0' && out <= max;
}

bool parsePair(const char* text, unsigned long& a, unsigned long& b) {
    const char* colon = text ? std::strchr(text, ':') : nullptr;
    if (!colon) return false;
    const std::string first(text, colon);
    return parseNumber(first.c_str(), 0xFFFF, a) && parseNumber(colon + 1, 0xFFFF, b);
}

enum Opt {
    kNoPacing = 256, kBaud, kTurnaround, kStall, kStrict, kNoWriteReply, kSeed,
    kCcdType, kPixels, kResolution, kBoard, kVirtPixels, kSubPixels, kFirstPixel, kLastPixel,
    kFirmware, kModel, kFirmwareText,
    kSilent, kEchoSync, kExtraBytes, kCutReply, kFirmwareLength, kCommandEcho,
};

}  // namespace

int main(int argc, char** argv) {
    // The stop signals are taken with sigwait at the end. Blocked from the
    // start, they never kill the command between making its symlink and
    // waiting, and the pair's thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    static const option longOptions[] = {
        {"symlink", required_argument, nullptr, 'l'},
        {"no-pacing", no_argument, nullptr, kNoPacing},
        {"baud", required_argument, nullptr, kBaud},
        {"turnaround", required_argument, nullptr, kTurnaround},
        {"stall", required_argument, nullptr, kStall},
        {"strict", no_argument, nullptr, kStrict},
        {"no-write-reply", no_argument, nullptr, kNoWriteReply},
        {"seed", required_argument, nullptr, kSeed},
        {"ccd-type", required_argument, nullptr, kCcdType},
        {"pixels", required_argument, nullptr, kPixels},
        {"resolution", required_argument, nullptr, kResolution},
        {"board", required_argument, nullptr, kBoard},
        {"virt-pixels", required_argument, nullptr, kVirtPixels},
        {"sub-pixels", required_argument, nullptr, kSubPixels},
        {"first-pixel", required_argument, nullptr, kFirstPixel},
        {"last-pixel", required_argument, nullptr, kLastPixel},
        {"firmware", required_argument, nullptr, kFirmware},
        {"model", required_argument, nullptr, kModel},
        {"firmware-text", required_argument, nullptr, kFirmwareText},
        {"silent", no_argument, nullptr, kSilent},
        {"echo-sync", required_argument, nullptr, kEchoSync},
        {"extra-bytes", required_argument, nullptr, kExtraBytes},
        {"cut-reply", required_argument, nullptr, kCutReply},
        {"firmware-length", required_argument, nullptr, kFirmwareLength},
        {"command-echo", required_argument, nullptr, kCommandEcho},
        {"log", no_argument, nullptr, 'v'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };

    kvorsim::Options options;
    bool silent = false;
    std::optional<uint16_t> echoSync;
    std::size_t extraBytes = 0;
    std::optional<std::size_t> firmwareLength;
    std::vector<std::pair<uint16_t, std::size_t>> cuts;
    std::vector<std::pair<uint16_t, uint16_t>> echoes;

    auto word = [](const char* name, uint16_t& field) {
        unsigned long v;
        if (!parseNumber(optarg, 0xFFFF, v)) {
            std::cerr << "kvor-sim: --" << name << " needs a number 0..65535\n";
            std::exit(2);
        }
        field = uint16_t(v);
    };
    auto number = [](const char* name, unsigned long max) {
        unsigned long v;
        if (!parseNumber(optarg, max, v)) {
            std::cerr << "kvor-sim: --" << name << " needs a number 0.." << max << "\n";
            std::exit(2);
        }
        return v;
    };

    int c;
    while ((c = getopt_long(argc, argv, "l:vh", longOptions, nullptr)) != -1) {
        unsigned long a, b;
        switch (c) {
            case 'l': options.symlinkPath = optarg; break;
            case kNoPacing: options.pacing = false; break;
            case kBaud: options.baud = uint32_t(number("baud", 4000000)); break;
            case kTurnaround: options.turnaround = std::chrono::milliseconds(number("turnaround", 60000)); break;
            case kStall: options.stallTimeout = std::chrono::milliseconds(number("stall", 60000)); break;
            case kStrict: options.strict = true; break;
            case kNoWriteReply: options.replyToWrites = false; break;
            case kSeed: options.seed = uint32_t(number("seed", UINT32_MAX)); break;
            case kCcdType: word("ccd-type", options.hardware.ccdType); break;
            case kPixels: word("pixels", options.hardware.maxPixel); break;
            case kResolution: word("resolution", options.hardware.resolution); break;
            case kBoard: word("board", options.hardware.boardType); break;
            case kVirtPixels: word("virt-pixels", options.hardware.virtPixel); break;
            case kSubPixels: word("sub-pixels", options.hardware.subPixel); break;
            case kFirstPixel: word("first-pixel", options.hardware.firstPixel); break;
            case kLastPixel: word("last-pixel", options.hardware.lastPixel); break;
            case kFirmware: word("firmware", options.hardware.firmware); break;
            case kModel: word("model", options.hardware.model); break;
            case kFirmwareText: options.firmwareText = optarg; break;
            case kSilent: silent = true; break;
            case kEchoSync: echoSync = uint16_t(number("echo-sync", 0xFFFF)); break;
            case kExtraBytes: extraBytes = number("extra-bytes", 4096); break;
            case kFirmwareLength: firmwareLength = number("firmware-length", 4096); break;
            case kCutReply:
            case kCommandEcho:
                if (!parsePair(optarg, a, b)) {
                    std::cerr << "kvor-sim: " << (c == kCutReply ? "--cut-reply" : "--command-echo")
                              << " needs CMD:N with numbers 0..65535\n";
                    return 2;
                }
                if (c == kCutReply) cuts.emplace_back(uint16_t(a), std::size_t(b));
                else echoes.emplace_back(uint16_t(a), uint16_t(b));
                break;
            case 'v':
                options.log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
                break;
            case 'h': std::fputs(kHelp, stdout); return 0;
            default: std::fputs("Try 'kvor-sim --help'.\n", stderr); return 2;
        }
    }
    if (optind < argc) {
        std::cerr << "kvor-sim: unexpected argument '" << argv[optind] << "'\n";
        return 2;
    }

    kvorsim::SensorPair pair(options);
    if (silent) pair.setSilent(true);
    if (echoSync) pair.setEchoSync(*echoSync);
    if (extraBytes) pair.setExtraBytes(kvorsim::kAnyCommand, extraBytes);
    if (firmwareLength) pair.setFirmwareLength(*firmwareLength);
    for (const auto& [cmd, keep] : cuts) pair.setCutReply(cmd, keep);
    for (const auto& [cmd, echo] : echoes) pair.setCommandEcho(cmd, echo);
    if (!pair.start()) {
        std::cerr << "kvor-sim: " << pair.lastError() << "\n";
        return 1;
    }
    std::printf("%s\n", pair.devicePath().c_str());
    std::fflush(stdout);

    int sig = 0;
    sigwait(&stopSignals, &sig);
    pair.stop();
    return 0;
}
