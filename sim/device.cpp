#include "sim/device.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kvorsim {

namespace {

constexpr double kScanPeriod = 0.002;  // the pair scans its CCD lines at 500 Hz
constexpr uint16_t kPoti = 100;        // the potentiometer nobody turns

struct LineMotion {
    double center, amplitude, period, phase;  // center and amplitude as parts of the line
};
constexpr LineMotion kMotion[2] = {{0.42, 0.08, 9.0, 0.0}, {0.58, 0.06, 13.0, 1.3}};

void putWord(std::vector<uint8_t>& out, std::size_t at, uint16_t w) {
    out[at] = uint8_t(w >> 8);
    out[at + 1] = uint8_t(w & 0xFF);
}

}  // namespace

Pages defaultPages() {
    Pages p{};
    p[0] = {1, 0, 0, 1, 1, 1, 100, 100, 10, 0, 0, 0, 0, 37000, 0};
    p[1] = {500, 1, 50, 512, 1, 4096, 0, 50, 0, 0, 0, 1024, 0, 37000, 0};
    p[2] = p[1];
    return p;
}

std::array<uint16_t, 10> HardwareInfo::words() const {
    return {ccdType, maxPixel, resolution, boardType, virtPixel, subPixel, firstPixel, lastPixel, firmware, model};
}

Device::Device(const Options& options, Clock::time_point origin)
    : hardware_(options.hardware),
      firmwareText_(options.firmwareText),
      replyToWrites_(options.replyToWrites),
      xflash_(SensorPair::kXFlashPages, std::vector<uint16_t>(kXFlashWords, 0xFFFF)),
      origin_(origin),
      rng_(options.seed) {
    ram_ = options.ramPages.value_or(defaultPages());
    eeprom_ = options.eepromPages.value_or(ram_);
    // The buffers hold a full history from the first request on.
    lastScanSeconds_ = -kScanBuffer * kScanPeriod;
    advanceTo(origin);
}

Page Device::page(Memory memory, int index) const {
    return (memory == Memory::Ram ? ram_ : eeprom_).at(std::size_t(index));
}

void Device::setPage(Memory memory, int index, const Page& words) {
    (memory == Memory::Ram ? ram_ : eeprom_).at(std::size_t(index)) = words;
    if (memory == Memory::Ram) reevaluateLatest();
}

double Device::secondsAt(Clock::time_point t) const {
    return std::chrono::duration<double>(t - origin_).count();
}

uint16_t Device::virtPixels() const { return hardware_.virtPixel ? hardware_.virtPixel : 4096; }

// The program takes the ADC full scale from the model-code word.
uint16_t Device::adcFullScale() const { return hardware_.model == 1024 ? 1024 : 256; }

uint32_t Device::pageLong(int page, int word) const {
    const Page& p = ram_[std::size_t(page)];
    return uint32_t(p[std::size_t(word)]) | uint32_t(p[std::size_t(word) + 1]) << 16;
}

double Device::truePosition(int sensor, double s) const {
    const LineMotion& m = kMotion[sensor];
    return virtPixels() * (m.center + m.amplitude * std::sin(2 * std::numbers::pi * s / m.period + m.phase));
}

double Device::peakWidth(int sensor, double s) const {
    return virtPixels() * 0.03 * (1.0 + 0.1 * std::sin(2 * std::numbers::pi * s / (5.0 + sensor)));
}

uint16_t Device::position(int sensor, double s) {
    const auto& forced = sensor == 0 ? overrides_.positionA : overrides_.positionB;
    if (forced) return *forced;
    const double sigma = virtPixels() / 2048.0;
    const double p = std::round(truePosition(sensor, s) + sigma * noise_(rng_));
    return uint16_t(std::clamp(p, 1.0, double(virtPixels())));
}

uint16_t Device::evaluate(uint16_t a, uint16_t b) const {
    if (overrides_.evaluated) return *overrides_.evaluated;
    const int cvp = virtPixels();
    int v;
    switch (ram_[0][0]) {
        case 0: v = b; break;
        case 2: v = 2 * cvp - (a + b); break;  // the gap between two sensors facing each other
        case 3: v = cvp + a - b; break;
        case 4: v = a + b; break;
        default: v = a; break;
    }
    return uint16_t(std::clamp(v, 0, 0xFFFF));
}

int32_t Device::micrometres(uint16_t evaluated) const {
    if (overrides_.micrometres) return *overrides_.micrometres;
    const int64_t cvp = virtPixels();
    const int64_t tA = ram_[1][3], tB = ram_[2][3];
    int64_t ref;
    uint32_t scale, setpoint;
    switch (ram_[0][0]) {
        case 0: ref = tB; scale = pageLong(2, 11); setpoint = pageLong(2, 13); break;
        case 2: ref = 2 * cvp - (tA + tB); scale = pageLong(1, 11); setpoint = pageLong(0, 13); break;
        case 3:
        case 4: ref = cvp; scale = pageLong(1, 11); setpoint = pageLong(0, 13); break;
        default: ref = tA; scale = pageLong(1, 11); setpoint = pageLong(1, 13); break;
    }
    const int64_t um = int64_t(int32_t(setpoint)) + (int64_t(evaluated) - ref) * int64_t(scale) / 1024;
    return int32_t(std::clamp<int64_t>(um, INT32_MIN, INT32_MAX));
}

void Device::setOverrides(const LiveOverrides& o, Clock::time_point now) {
    advanceTo(now);
    overrides_ = o;
    Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
    latest.a = o.positionA.value_or(latest.a);
    latest.b = o.positionB.value_or(latest.b);
    reevaluateLatest();
}

// Settings and forced values count from the moment they change, so a request
// right after the change already sees them.
void Device::reevaluateLatest() {
    Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
    latest.evaluated = evaluate(latest.a, latest.b);
    heldMax_ = std::max(heldMax_, latest.evaluated);
    heldMin_ = std::min(heldMin_, latest.evaluated);
}

void Device::advanceTo(Clock::time_point now) {
    const double s = secondsAt(now);
    const double span = kScanBuffer * kScanPeriod;
    if (s - lastScanSeconds_ > span) {
        // A long pause between requests: the held extremes still see the line
        // move in between, sampled coarsely; the buffers need only the end.
        const double until = s - span;
        const double step = std::max(0.02, (until - lastScanSeconds_) / 20000.0);
        for (double t = lastScanSeconds_ + step; t < until; t += step) {
            const uint16_t a = overrides_.positionA.value_or(uint16_t(std::clamp(truePosition(0, t), 1.0, double(virtPixels()))));
            const uint16_t b = overrides_.positionB.value_or(uint16_t(std::clamp(truePosition(1, t), 1.0, double(virtPixels()))));
            const uint16_t v = evaluate(a, b);
            heldMax_ = heldValid_ ? std::max(heldMax_, v) : v;
            heldMin_ = heldValid_ ? std::min(heldMin_, v) : v;
            heldValid_ = true;
        }
        lastScanSeconds_ = until;
    }
    while (lastScanSeconds_ + kScanPeriod <= s) {
        lastScanSeconds_ += kScanPeriod;
        Scan scan;
        scan.a = position(0, lastScanSeconds_);
        scan.b = position(1, lastScanSeconds_);
        scan.evaluated = evaluate(scan.a, scan.b);
        scans_[scanHead_] = scan;
        scanHead_ = (scanHead_ + 1) % kScanBuffer;
        ++scanCount_;
        heldMax_ = heldValid_ ? std::max(heldMax_, scan.evaluated) : scan.evaluated;
        heldMin_ = heldValid_ ? std::min(heldMin_, scan.evaluated) : scan.evaluated;
        heldValid_ = true;
    }
}

uint16_t Device::videoThreshold(int sensor) const {
    return uint16_t(uint32_t(ram_[std::size_t(1 + sensor)][2]) * adcFullScale() / 100);
}

std::array<uint16_t, kVideoSamples> Device::video(int sensor, double s) {
    const Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
    const double pos = sensor == 0 ? latest.a : latest.b;
    const double fs = adcFullScale();
    const double sigma = peakWidth(sensor, s) / 2.3548;  // the width is the peak's full width at half height
    const double step = virtPixels() / double(kVideoSamples);
    std::array<uint16_t, kVideoSamples> out{};
    for (int k = 0; k < kVideoSamples; ++k) {
        const double d = k * step - pos;
        const double v = fs * (0.04 + 0.78 * std::exp(-d * d / (2 * sigma * sigma)) + 0.006 * noise_(rng_));
        out[std::size_t(k)] = uint16_t(std::clamp(std::round(v), 0.0, fs - 1));
    }
    return out;
}

void Device::latch(Clock::time_point now) {
    advanceTo(now);
    const double s = secondsAt(now);
    Snapshot snap;
    const auto a = video(0, s), b = video(1, s);
    std::copy(a.begin(), a.end(), snap.video.begin());
    std::copy(b.begin(), b.end(), snap.video.begin() + kVideoSamples);
    for (int i = 0; i < kScanBuffer; ++i) {
        const Scan& sc = scans_[(scanHead_ + std::size_t(i)) % kScanBuffer];
        snap.bufA[std::size_t(i)] = sc.a;
        snap.bufB[std::size_t(i)] = sc.b;
        snap.bufEval[std::size_t(i)] = sc.evaluated;
    }
    snapshot_ = snap;
}

std::array<uint16_t, 16> Device::liveWords(Clock::time_point now) {
    advanceTo(now);
    const double s = secondsAt(now);
    const Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
    const int32_t um = micrometres(latest.evaluated);

    uint16_t edges[2], widths[2];
    for (int sensor = 0; sensor < 2; ++sensor) {
        const auto samples = video(sensor, s);
        const uint16_t thd = videoThreshold(sensor);
        int crossings = 0;
        for (int k = 1; k < kVideoSamples; ++k)
            crossings += (samples[std::size_t(k)] >= thd) != (samples[std::size_t(k - 1)] >= thd);
        edges[sensor] = uint16_t(crossings);
        const double fs = adcFullScale(), base = 0.04 * fs, height = 0.78 * fs;
        const double sigma = peakWidth(sensor, s) / 2.3548;
        double w = 0;
        if (thd <= base) w = virtPixels();
        else if (thd < base + height) w = 2 * sigma * std::sqrt(2 * std::log(height / (thd - base)));
        widths[sensor] = uint16_t(std::round(w));
    }
    const LiveOverrides& o = overrides_;
    return {latest.a,
            latest.b,
            latest.evaluated,
            uint16_t(uint32_t(um) & 0xFFFF),
            uint16_t(uint32_t(um) >> 16),
            o.poti.value_or(kPoti),
            o.edgesA.value_or(edges[0]),
            o.edgesB.value_or(edges[1]),
            o.peakWidthA.value_or(widths[0]),
            o.peakWidthB.value_or(widths[1]),
            o.maxValue.value_or(heldMax_),
            o.minValue.value_or(heldMin_),
            ram_[1][3],
            ram_[2][3],
            o.word14.value_or(uint16_t(scanCount_ & 0xFFFF)),
            o.word15.value_or(0)};
}

std::vector<uint8_t> Device::frameReply(uint16_t command, uint16_t argument,
                                        const std::array<uint16_t, 15>& data) const {
    std::vector<uint8_t> out(kFrameBytes);
    putWord(out, 0, kReplySync);
    putWord(out, 2, command);
    putWord(out, 4, argument);
    for (std::size_t i = 0; i < data.size(); ++i) putWord(out, 6 + 2 * i, data[i]);
    return out;
}

std::vector<uint8_t> Device::liveReply(Clock::time_point now) {
    const auto words = liveWords(now);
    std::vector<uint8_t> out(kFrameBytes);
    putWord(out, 0, kReplySync);
    putWord(out, 2, 8);
    for (std::size_t i = 0; i < words.size(); ++i) putWord(out, 4 + 2 * i, words[i]);
    return out;
}

std::vector<uint8_t> Device::blockReply(uint16_t offset, uint16_t selector, Clock::time_point now) {
    // Blocks come from what the last live request latched, so the blocks of
    // one transfer fit together.
    if (!snapshot_) latch(now);
    const Snapshot& snap = *snapshot_;
    std::vector<uint8_t> out(kBlockBytes, 0);
    for (std::size_t i = 0; i < kBlockBytes / 2; ++i) {
        const std::size_t idx = std::size_t(offset) + i;
        if (idx >= kScanBuffer) break;
        uint16_t w = 0;
        switch (selector) {
            case 0:
            case 1: w = snap.video[idx]; break;
            case 2: w = snap.bufA[idx]; break;
            case 3: w = snap.bufB[idx]; break;
            case 4: w = snap.bufEval[idx]; break;
            default: break;
        }
        putWord(out, 2 * i, w);
    }
    return out;
}

std::vector<uint8_t> Device::firmwareBytes() const {
    std::vector<uint8_t> out(kFirmwareBytes, 0);
    if (hardware_.boardType == 0) {
        // One character in the low byte of each of 36 words, blank-filled.
        for (std::size_t i = 0; i < kFirmwareBytes / 2; ++i)
            out[2 * i + 1] = i < firmwareText_.size() ? uint8_t(firmwareText_[i]) : uint8_t(' ');
    } else {
        for (std::size_t i = 0; i < kFirmwareBytes && i < firmwareText_.size(); ++i)
            out[i] = uint8_t(firmwareText_[i]);
    }
    return out;
}

std::optional<std::vector<uint8_t>> Device::handle(const Request& rq, Clock::time_point now) {
    switch (rq.command) {
        case 1:
        case 3: {
            if (rq.argument > 2) return std::nullopt;
            Pages& mem = rq.command == 1 ? ram_ : eeprom_;
            mem[rq.argument] = rq.data;
            if (rq.command == 1) reevaluateLatest();
            if (!replyToWrites_) return std::nullopt;
            return frameReply(rq.command, rq.argument, mem[rq.argument]);
        }
        case 2:
        case 4:
            if (rq.argument > 2) return std::nullopt;
            return frameReply(rq.command, rq.argument, (rq.command == 2 ? ram_ : eeprom_)[rq.argument]);
        case 5:
            return frameReply(5, rq.argument, rq.data);
        case 6: {
            advanceTo(now);
            const Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
            ram_[1][3] = latest.a;
            ram_[2][3] = latest.b;
            return frameReply(6, 0, {latest.a, latest.b});
        }
        case 7:
            return firmwareBytes();
        case 8:
            latch(now);
            return liveReply(now);
        case 9:
            return blockReply(rq.argument, rq.data[0], now);
        case 10: {
            std::vector<uint8_t> out(kFrameBytes, 0);
            putWord(out, 0, kReplySync);
            putWord(out, 2, 10);
            const auto w = hardware_.words();
            for (std::size_t i = 0; i < w.size(); ++i) putWord(out, 4 + 2 * i, w[i]);
            return out;
        }
        case 11: {
            advanceTo(now);
            const Scan& latest = scans_[(scanHead_ + kScanBuffer - 1) % kScanBuffer];
            heldMax_ = heldMin_ = latest.evaluated;
            heldValid_ = true;
            return frameReply(11, 0, {heldMax_, heldMin_});
        }
        case 101:
            for (auto& page : xflash_) std::fill(page.begin(), page.end(), 0xFFFF);
            return frameReply(101, 0, {});
        case 102: {
            const uint16_t page = rq.data[0], offset = rq.argument;
            if (page >= xflash_.size() || offset > kXFlashWords - 8) return std::nullopt;
            std::copy(rq.data.begin() + 1, rq.data.begin() + 9, xflash_[page].begin() + offset);
            return frameReply(102, offset, {offset, page});
        }
        default:
            return std::nullopt;
    }
}

}  // namespace kvorsim
