// The sensor pair's behaviour behind the line: memories, identity, the moving
// laser line, video and measurement buffers, X-FLASH, and the reply each
// request gets. Not thread-safe: SensorPair serialises every call.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "sim/request_reader.h"
#include "sim/sensor_pair.h"

namespace kvorsim {

constexpr std::size_t kFirmwareBytes = 72;
constexpr std::size_t kBlockBytes = 128;
constexpr int kVideoSamples = 128;
constexpr int kScanBuffer = 256;
constexpr int kXFlashWords = 256;

class Device {
public:
    Device(const Options& options, Clock::time_point origin);

    // The reply to a complete request handled at `now`; empty when the sensor
    // does not answer (parameter write with replies off, argument out of range).
    std::optional<std::vector<uint8_t>> handle(const Request& request, Clock::time_point now);

    std::array<uint16_t, 16> liveWords(Clock::time_point now);

    Page page(Memory memory, int index) const;
    void setPage(Memory memory, int index, const Page& words);
    const std::vector<uint16_t>& xflash(int page) const { return xflash_.at(std::size_t(page)); }

    const HardwareInfo& hardware() const { return hardware_; }
    void setHardware(const HardwareInfo& info) { hardware_ = info; }
    const std::string& firmwareText() const { return firmwareText_; }
    void setFirmwareText(const std::string& text) { firmwareText_ = text; }
    const LiveOverrides& overrides() const { return overrides_; }
    // Forced values apply from this moment on, not from the next scan.
    void setOverrides(const LiveOverrides& o, Clock::time_point now);
    void setReplyToWrites(bool on) { replyToWrites_ = on; }

    // The 72 firmware bytes as the board type lays them out.
    std::vector<uint8_t> firmwareBytes() const;

private:
    struct Scan {
        uint16_t a = 0, b = 0, evaluated = 0;
    };
    struct Snapshot {
        std::array<uint16_t, 2 * kVideoSamples> video{};  // MASTER samples, then SLAVE samples
        std::array<uint16_t, kScanBuffer> bufA{}, bufB{}, bufEval{};
    };

    uint16_t virtPixels() const;
    uint16_t adcFullScale() const;
    double truePosition(int sensor, double seconds) const;
    double peakWidth(int sensor, double seconds) const;
    uint16_t position(int sensor, double seconds);
    uint16_t evaluate(uint16_t a, uint16_t b) const;
    int32_t micrometres(uint16_t evaluated) const;
    void advanceTo(Clock::time_point now);
    void reevaluateLatest();
    std::array<uint16_t, kVideoSamples> video(int sensor, double seconds);
    uint16_t videoThreshold(int sensor) const;
    void latch(Clock::time_point now);
    double secondsAt(Clock::time_point t) const;
    uint32_t pageLong(int page, int word) const;

    std::vector<uint8_t> frameReply(uint16_t command, uint16_t argument, const std::array<uint16_t, 15>& data) const;
    std::vector<uint8_t> liveReply(Clock::time_point now);
    std::vector<uint8_t> blockReply(uint16_t offset, uint16_t selector, Clock::time_point now);

    Pages ram_{}, eeprom_{};
    HardwareInfo hardware_;
    std::string firmwareText_;
    LiveOverrides overrides_;
    bool replyToWrites_ = true;
    std::vector<std::vector<uint16_t>> xflash_;

    Clock::time_point origin_;
    std::mt19937 rng_;
    std::normal_distribution<double> noise_{0.0, 1.0};

    std::array<Scan, kScanBuffer> scans_{};  // ring, oldest at scanHead_
    std::size_t scanHead_ = 0;
    uint64_t scanCount_ = 0;
    double lastScanSeconds_ = 0.0;
    uint16_t heldMax_ = 0, heldMin_ = 0;
    bool heldValid_ = false;
    std::optional<Snapshot> snapshot_;
};

}  // namespace kvorsim
