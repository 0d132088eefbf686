// The simulated MASTER/SLAVE sensor pair on a pseudo-terminal.
//
// The pair answers on its own thread, never on the caller's event loop, so a
// program that polls the port without running events (or sleeps in a delay)
// still gets its replies. Every member is safe to call from any thread while
// the pair runs; setters take effect for the next byte the pair handles.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kvorsim {

using Clock = std::chrono::steady_clock;
using Page = std::array<uint16_t, 15>;
using Pages = std::array<Page, 3>;

enum class Memory { Ram, Eeprom };

// Factory pages: page 0 common settings, page 1 MASTER, page 2 SLAVE.
Pages defaultPages();

// The ten words of the hardware-information reply, in reply order.
struct HardwareInfo {
    uint16_t ccdType = 1;
    uint16_t maxPixel = 1024;
    uint16_t resolution = 0;
    uint16_t boardType = 0;  // 0: firmware text as one character per word
    uint16_t virtPixel = 4096;
    uint16_t subPixel = 4;
    uint16_t firstPixel = 1;
    uint16_t lastPixel = 1024;
    uint16_t firmware = 305;
    uint16_t model = 10080;  // also read as the ADC full scale: 1024 gives a 10-bit ADC, anything else 8-bit

    std::array<uint16_t, 10> words() const;
};

// Values a test may force into the live frame (and the scans behind the
// measurement buffers). Unset fields follow the simulated laser line.
struct LiveOverrides {
    std::optional<uint16_t> positionA, positionB;  // virtual pixels
    std::optional<uint16_t> evaluated;
    std::optional<int32_t> micrometres;
    std::optional<uint16_t> poti;
    std::optional<uint16_t> edgesA, edgesB;
    std::optional<uint16_t> peakWidthA, peakWidthB;
    std::optional<uint16_t> maxValue, minValue;
    std::optional<uint16_t> word14, word15;
};

// Serial settings the program put on its end of the line.
struct LineSettings {
    uint32_t baud = 0;  // 0 when the speed is not a standard rate
    int dataBits = 8;   // a Linux pty always reports 8 data bits and no parity
    char parity = 'N';  // 'N', 'E', 'O'
    int stopBits = 1;
    bool rtsCts = false;
    bool xonXoff = false;

    bool isSensorLine() const {  // 19200 8N1 without handshake
        return baud == 19200 && dataBits == 8 && parity == 'N' && stopBits == 1 && !rtsCts && !xonXoff;
    }
    bool operator==(const LineSettings&) const = default;
};

struct RequestRecord {
    Clock::time_point time;  // when its last byte was on the line
    uint16_t command = 0;
    uint16_t argument = 0;
    std::array<uint8_t, 36> bytes{};
    LineSettings line;
};

struct ReplyRecord {
    Clock::time_point time;  // when its last byte was handed to the line
    uint16_t command = 0;    // the request it answers
    std::vector<uint8_t> bytes;
};

struct Counters {
    uint64_t requests = 0;            // complete frames with a known command
    std::map<uint16_t, uint64_t> byCommand;
    uint64_t replies = 0;             // replies fully written
    uint64_t suppressed = 0;          // replies not sent: silence, strict line, rejected argument, write off
    uint64_t held = 0;                // replies held back for the next request
    uint64_t garbageBytes = 0;        // bytes skipped while looking for a frame
    uint64_t stalledFrames = 0;       // partial frames dropped after a stall
    uint64_t strictRejected = 0;      // requests ignored for wrong line settings
    uint64_t linesDropped = 0;
};

struct Options {
    bool pacing = true;  // bytes take 10 bit times each way
    uint32_t baud = 19200;
    std::chrono::microseconds turnaround{0};
    std::chrono::microseconds stallTimeout{std::chrono::milliseconds(100)};
    std::string symlinkPath;  // empty: no symlink
    bool strict = false;      // answer only at 19200 8N1 without handshake
    bool replyToWrites = true;
    std::optional<Pages> ramPages;     // unset: factory pages
    std::optional<Pages> eepromPages;  // unset: equal to RAM
    HardwareInfo hardware;
    std::string firmwareText = "K-VOR-QX-MS FIRMWARE V3.05";
    uint32_t seed = 1;
    // Called on the pair's thread for every exchange, outside its lock.
    std::function<void(const std::string&)> log;
};

constexpr uint16_t kAnyCommand = 0xFFFF;

class SensorPair {
public:
    explicit SensorPair(const Options& options);
    ~SensorPair();
    SensorPair(const SensorPair&) = delete;
    SensorPair& operator=(const SensorPair&) = delete;

    bool start();  // opens the pty and starts the thread; false on failure
    void stop();   // joins the thread, closes the pty, removes the symlink
    bool running() const;
    std::string devicePath() const;  // the symlink if one was asked for, else the pty slave
    std::string ptyPath() const;     // the current pty slave ("" while the line is down)
    std::string lastError() const;

    // Memory.
    Page page(Memory memory, int index) const;
    void setPage(Memory memory, int index, const Page& words);
    std::vector<uint16_t> xflash(int page) const;  // 256 words; 0xFFFF when cleared
    static constexpr int kXFlashPages = 16;

    // Identity.
    HardwareInfo hardware() const;
    void setHardware(const HardwareInfo& info);
    std::string firmwareText() const;
    void setFirmwareText(const std::string& text);

    // Live values.
    void setOverrides(const LiveOverrides& overrides);
    LiveOverrides overrides() const;
    std::array<uint16_t, 16> liveWords();  // what a live request would return now

    // Line.
    void setPacing(bool on);
    void setBaud(uint32_t baud);
    void setTurnaround(std::chrono::microseconds t);
    // Paced replies reach the far end in slices of this many bytes (8, as a
    // common UART FIFO raises its interrupt); 0 hands each over whole.
    void setFifoSlice(std::size_t bytes);
    void setReplyToWrites(bool on);
    void setStrict(bool on);
    LineSettings lineSettings() const;  // as the program left them

    // Faults take effect at once. The "Once" ones apply to the next matching
    // request only; the others last until changed or cleared.
    // A silent pair hears nothing (a page write is not stored either), and
    // replies already scheduled or half sent are dropped.
    void setSilent(bool on);
    // The request is carried out but its reply is lost.
    void silenceOnce(uint16_t command);
    void silenceBlockOnce(uint16_t offset);  // command 9 with this word offset
    // The reply comes only when the next request does, just ahead of that
    // request's reply (later than any wait for it).
    void holdOnce(uint16_t command);
    void holdBlockOnce(uint16_t offset);  // command 9 with this word offset
    void setBlockBytesOnce(uint16_t offset, std::vector<uint8_t> bytes);  // these bytes instead
    void delayOnce(uint16_t command, std::chrono::microseconds extra);  // later replies may overtake it
    void setEchoSync(uint16_t sync);         // sync word of the echo-check reply (normally 0x00AA)
    void setExtraBytes(uint16_t command, std::size_t count);  // bytes sent after each reply (kAnyCommand: all)
    void setCutReply(uint16_t command, std::size_t keep);     // replies cut to their first bytes (kAnyCommand: all)
    void setFirmwareLength(std::size_t bytes);                 // length of the firmware reply (normally 72)
    void setCommandEcho(uint16_t command, uint16_t echo);      // command word in replies to this command
    void clearFaults();
    void dropLine();     // closes the pty master; the symlink goes away with it
    bool restoreLine();  // a new pty under the same symlink
    bool lineUp() const;

    // Records.
    std::vector<RequestRecord> requests() const;
    std::vector<ReplyRecord> replies() const;
    Counters counters() const;
    void clearRecords();  // requests, replies and counters
    // Blocks until `total` requests have been handled (or replies written) since
    // the last clearRecords, or the timeout passes; true when reached.
    bool waitForRequests(uint64_t total, std::chrono::milliseconds timeout) const;
    bool waitForReplies(uint64_t total, std::chrono::milliseconds timeout) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace kvorsim
