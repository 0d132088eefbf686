#include "sim/sensor_pair.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <thread>

#include "sim/device.h"
#include "sim/request_reader.h"

namespace kvorsim {

namespace {

// Bytes a paced reply is handed over in at once: the receive threshold of a
// common UART FIFO. Each slice wakes the far end once, as a real port would.
constexpr std::size_t kFifoSlice = 8;

constexpr std::size_t kRecordLimit = 100000;
constexpr uint8_t kExtraBurstFill = 0xA5;  // recognisable on a line dump

uint32_t baudOf(speed_t s) {
    static const std::pair<speed_t, uint32_t> table[] = {
        {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},       {B150, 150},
        {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},     {B1800, 1800},
        {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
        {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800}, {B921600, 921600},
    };
    for (const auto& [code, baud] : table)
        if (code == s) return baud;
    return 0;
}

std::string hex(const uint8_t* p, std::size_t n) {
    std::string s;
    char b[4];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", p[i]);
        s += b;
    }
    return s;
}

struct Outgoing {
    std::vector<uint8_t> bytes;
    uint16_t command = 0;
    Clock::time_point due;
    Clock::time_point start;
    bool started = false;
    std::size_t sent = 0;
};

}  // namespace

struct SensorPair::Impl {
    explicit Impl(const Options& o)
        : opt(o),
          origin(Clock::now()),
          device(o, origin),
          reader(o.stallTimeout),
          pacing(o.pacing),
          baud(o.baud),
          turnaround(o.turnaround),
          strict(o.strict) {}

    Options opt;
    Clock::time_point origin;

    mutable std::mutex mu;
    mutable std::condition_variable changed;  // records grew, or a line operation finished
    Device device;
    RequestReader reader;

    int master = -1, slave = -1;
    int wake[2] = {-1, -1};
    std::string pty;
    std::string error;
    std::thread thread;
    bool running = false;
    bool stopping = false;
    enum class Op { None, Drop, Restore } op = Op::None;
    bool opResult = false;
    uint64_t opAsked = 0, opDone = 0;

    bool pacing;
    uint32_t baud;
    std::chrono::microseconds turnaround;
    std::size_t fifoSlice = kFifoSlice;  // 0: a paced reply is handed over whole, when its last byte is due
    bool strict;
    Clock::time_point lineIn{};  // when the last byte received finished on the line
    Clock::time_point txFree{};  // when the transmitter finishes its current reply
    std::deque<Outgoing> out;

    bool silent = false;
    std::multiset<uint16_t> silenceCommands, silenceOffsets, holdCommands, holdOffsets;
    std::map<uint16_t, std::vector<uint8_t>> blockBytes;
    std::optional<Outgoing> held;  // a late reply, out just ahead of the next one
    std::map<uint16_t, std::chrono::microseconds> delays;
    std::optional<uint16_t> echoSync;
    std::map<uint16_t, std::size_t> extraBytes, cutReplies;
    std::optional<std::size_t> firmwareLength;
    std::map<uint16_t, uint16_t> commandEcho;

    std::deque<RequestRecord> requestLog;
    std::deque<ReplyRecord> replyLog;
    Counters counters;
    uint64_t garbageBase = 0, stalledBase = 0;
    std::vector<std::string> pendingLog;

    bool paced() const { return pacing && baud > 0; }
    Clock::duration byteTime() const { return std::chrono::nanoseconds(int64_t(1e10 / baud)); }

    void wakeUp() {
        if (wake[1] >= 0) {
            const char c = 1;
            [[maybe_unused]] ssize_t r = ::write(wake[1], &c, 1);
        }
    }

    void log(const std::string& line) {
        if (!opt.log) return;
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%10.3f ms ",
                      std::chrono::duration<double, std::milli>(Clock::now() - origin).count());
        pendingLog.push_back(stamp + line);
    }

    // ---- line ----------------------------------------------------------------

    bool openPty() {
        termios tio{};
        cfmakeraw(&tio);
        cfsetispeed(&tio, B19200);
        cfsetospeed(&tio, B19200);
        tio.c_cflag |= CLOCAL | CREAD;
        char name[256] = {};
        int m = -1, s = -1;
        if (::openpty(&m, &s, name, &tio, nullptr) != 0) {
            error = std::string("openpty: ") + std::strerror(errno);
            return false;
        }
        ::fcntl(m, F_SETFL, ::fcntl(m, F_GETFL) | O_NONBLOCK);
        ::fcntl(m, F_SETFD, FD_CLOEXEC);
        ::fcntl(s, F_SETFD, FD_CLOEXEC);
        master = m;
        // Our own descriptor of the slave stays open for the pty's whole life:
        // without it the master reads end-of-file (and polls as hung up without
        // end) whenever the program has closed its port.
        slave = s;
        pty = name;
        lineIn = txFree = Clock::now();
        if (!linkSymlink()) {
            closePty();
            return false;
        }
        return true;
    }

    bool linkSymlink() {
        const std::string& path = opt.symlinkPath;
        if (path.empty()) return true;
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
            error = path + " exists and is not a symlink";
            return false;
        }
        // A new link under a temporary name, renamed over the old one, so the
        // path never points nowhere while it is being replaced.
        const std::string tmp = path + ".tmp" + std::to_string(::getpid());
        ::unlink(tmp.c_str());
        if (::symlink(pty.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), path.c_str()) != 0) {
            error = path + ": " + std::strerror(errno);
            ::unlink(tmp.c_str());
            return false;
        }
        return true;
    }

    void unlinkSymlink() {
        const std::string& path = opt.symlinkPath;
        if (path.empty() || pty.empty()) return;
        char target[512];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        // Only our own link goes: another pair may have taken the path over.
        if (n > 0 && std::string(target, std::size_t(n)) == pty) ::unlink(path.c_str());
    }

    void closePty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
        master = slave = -1;
        pty.clear();
        out.clear();
        reader.reset();
    }

    void dropNow() {
        if (master < 0) return;
        unlinkSymlink();
        closePty();
        ++counters.linesDropped;
        log("line dropped");
    }

    bool restoreNow() {
        if (master >= 0) return true;
        const bool ok = openPty();
        if (ok) log("line restored on " + pty);
        return ok;
    }

    LineSettings readLine() const {
        LineSettings ls;
        termios tio{};
        if (slave < 0 || ::tcgetattr(slave, &tio) != 0) return ls;
        ls.baud = baudOf(cfgetospeed(&tio));
        switch (tio.c_cflag & CSIZE) {
            case CS5: ls.dataBits = 5; break;
            case CS6: ls.dataBits = 6; break;
            case CS7: ls.dataBits = 7; break;
            default: ls.dataBits = 8; break;
        }
        ls.parity = (tio.c_cflag & PARENB) ? ((tio.c_cflag & PARODD) ? 'O' : 'E') : 'N';
        ls.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
        ls.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
        ls.xonXoff = (tio.c_iflag & (IXON | IXOFF)) != 0;
        return ls;
    }

    // ---- requests ------------------------------------------------------------

    void receive(const uint8_t* p, std::size_t n, Clock::time_point now) {
        for (std::size_t i = 0; i < n; ++i) {
            Clock::time_point at = now;
            if (paced()) at = lineIn = std::max(lineIn, now) + byteTime();
            Request rq;
            if (reader.push(p[i], at, rq)) handle(rq);
        }
    }

    void suppress(const char* why) {
        ++counters.suppressed;
        log(std::string("no reply: ") + why);
    }

    void handle(const Request& rq) {
        ++counters.requests;
        ++counters.byCommand[rq.command];
        RequestRecord rec;
        rec.time = rq.time;
        rec.command = rq.command;
        rec.argument = rq.argument;
        rec.bytes = rq.bytes;
        rec.line = readLine();
        requestLog.push_back(rec);
        if (requestLog.size() > kRecordLimit) requestLog.pop_front();
        log("RX cmd " + std::to_string(rq.command) + " arg " + std::to_string(rq.argument) + ": " +
            hex(rq.bytes.data(), rq.bytes.size()));
        changed.notify_all();

        if (strict && !rec.line.isSensorLine()) {
            ++counters.strictRejected;
            return suppress("line settings are not 19200 8N1 without handshake");
        }
        // A silent pair hears nothing; the one-shot silences below lose only the reply.
        if (silent) return suppress("silent");
        auto reply = device.handle(rq, rq.time);
        if (!reply) return suppress("the request asks for no reply or is out of range");
        if (takeOnce(silenceCommands, rq.command)) return suppress("silenced once");
        if (rq.command == 9) {
            if (takeOnce(silenceOffsets, rq.argument)) return suppress("block silenced once");
            if (auto it = blockBytes.find(rq.argument); it != blockBytes.end()) {
                *reply = std::move(it->second);
                blockBytes.erase(it);
            }
        }
        shape(rq.command, *reply);

        Outgoing o;
        o.bytes = std::move(*reply);
        o.command = rq.command;
        o.due = rq.time + turnaround;
        if (auto it = delays.find(rq.command); it != delays.end()) {
            o.due += it->second;
            delays.erase(it);
        }
        if (held) {
            held->due = o.due;
            enqueue(std::move(*held));
            held.reset();
        }
        if (takeOnce(holdCommands, rq.command) || (rq.command == 9 && takeOnce(holdOffsets, rq.argument))) {
            log("reply held back until the next request");
            ++counters.held;
            held = std::move(o);
            return;
        }
        enqueue(std::move(o));
    }

    static bool takeOnce(std::multiset<uint16_t>& once, uint16_t key) {
        const auto it = once.find(key);
        if (it == once.end()) return false;
        once.erase(it);
        return true;
    }

    // Replies go out in the order they fall due; one being sent is never interrupted.
    void enqueue(Outgoing o) {
        auto pos = out.begin();
        if (pos != out.end() && pos->started) ++pos;
        while (pos != out.end() && pos->due <= o.due) ++pos;
        out.insert(pos, std::move(o));
    }

    void shape(uint16_t command, std::vector<uint8_t>& r) {
        const bool frame = command != 7 && command != 9;
        if (command == 5 && echoSync) {
            r[0] = uint8_t(*echoSync >> 8);
            r[1] = uint8_t(*echoSync & 0xFF);
        }
        if (auto it = commandEcho.find(command); frame && it != commandEcho.end()) {
            r[2] = uint8_t(it->second >> 8);
            r[3] = uint8_t(it->second & 0xFF);
        }
        if (command == 7 && firmwareLength) r.resize(*firmwareLength, ' ');
        auto lookup = [command](const std::map<uint16_t, std::size_t>& m) -> std::optional<std::size_t> {
            if (auto it = m.find(command); it != m.end()) return it->second;
            if (auto it = m.find(kAnyCommand); it != m.end()) return it->second;
            return std::nullopt;
        };
        if (auto keep = lookup(cutReplies); keep && *keep < r.size()) r.resize(*keep);
        if (auto extra = lookup(extraBytes)) r.insert(r.end(), *extra, kExtraBurstFill);
    }

    // ---- replies -------------------------------------------------------------

    void pump(Clock::time_point now) {
        while (!out.empty()) {
            Outgoing& o = out.front();
            if (!o.started) {
                if (now < o.due) return;
                o.start = std::max(o.due, txFree);
                o.started = true;
            }
            std::size_t due = o.bytes.size();
            if (paced()) {
                due = std::min<std::size_t>(due, std::size_t((now - o.start) / byteTime()));
                // Hand bytes over a FIFO slice at a time, the last ones on time.
                if (due < o.bytes.size() && due < o.sent + slice(o)) due = o.sent;
            }
            if (due > o.sent) {
                const ssize_t n = master >= 0 ? ::write(master, o.bytes.data() + o.sent, due - o.sent) : -1;
                if (n < 0) {
                    // Nobody drains the far end (its buffer is full) or the line
                    // is down: the reply is lost on the wire.
                    if (errno == EINTR) continue;
                    suppress("the line does not take the reply");
                    txFree = now;
                    out.pop_front();
                    continue;
                }
                o.sent += std::size_t(n);
            }
            if (o.sent < o.bytes.size()) return;
            txFree = paced() ? o.start + int64_t(o.bytes.size()) * byteTime() : now;
            ReplyRecord rec;
            rec.time = now;
            rec.command = o.command;
            rec.bytes = std::move(o.bytes);
            log("TX " + std::to_string(rec.bytes.size()) + " bytes for cmd " + std::to_string(o.command) + ": " +
                hex(rec.bytes.data(), rec.bytes.size()));
            replyLog.push_back(std::move(rec));
            if (replyLog.size() > kRecordLimit) replyLog.pop_front();
            ++counters.replies;
            out.pop_front();
            changed.notify_all();
        }
    }

    std::size_t slice(const Outgoing& o) const { return fifoSlice ? fifoSlice : o.bytes.size(); }

    std::optional<Clock::time_point> nextWake(Clock::time_point now) const {
        std::optional<Clock::time_point> at = reader.expiry();
        if (at) *at += std::chrono::microseconds(1);
        if (!out.empty()) {
            const Outgoing& o = out.front();
            Clock::time_point t;
            if (!o.started) {
                t = std::max(o.due, txFree);
            } else if (!paced()) {
                t = now + std::chrono::milliseconds(1);  // the far end took only part of it
            } else {
                // Bytes are handed over a slice at a time, as a UART raises its
                // receive interrupt at a FIFO threshold; the last byte still goes
                // on time.
                const auto bt = byteTime();
                const auto last = o.start + int64_t(o.bytes.size()) * bt;
                t = std::min(last, o.start + int64_t(o.sent + slice(o)) * bt);
            }
            at = at ? std::min(*at, t) : t;
        }
        return at;
    }

    // ---- thread --------------------------------------------------------------

    void run() {
        std::unique_lock lk(mu);
        while (!stopping) {
            if (op != Op::None) {
                opResult = op == Op::Drop ? (dropNow(), true) : restoreNow();
                op = Op::None;
                opDone = opAsked;
                changed.notify_all();
            }
            const auto now = Clock::now();
            pump(now);
            reader.expire(now);
            const auto wakeAt = nextWake(now);
            const int fd = master;
            std::vector<std::string> lines;
            lines.swap(pendingLog);
            lk.unlock();
            for (const auto& l : lines) opt.log(l);

            pollfd fds[2] = {{wake[0], POLLIN, 0}, {fd, POLLIN, 0}};
            timespec ts{}, *tsp = nullptr;
            if (wakeAt) {
                const auto wait = std::max(Clock::duration::zero(), *wakeAt - Clock::now());
                ts.tv_sec = std::chrono::duration_cast<std::chrono::seconds>(wait).count();
                ts.tv_nsec = long((wait - std::chrono::seconds(ts.tv_sec)) / std::chrono::nanoseconds(1));
                tsp = &ts;
            }
            const int ready = ::ppoll(fds, fd >= 0 ? 2 : 1, tsp, nullptr);

            lk.lock();
            if (ready <= 0) continue;
            if (fds[0].revents & POLLIN) {
                char drain[64];
                while (::read(wake[0], drain, sizeof drain) > 0) {
                }
            }
            // The fd was ours while unlocked: only this thread closes it.
            if (fd >= 0 && fd == master && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
                uint8_t buf[4096];
                bool got = false;
                // A serial library claims the tty exclusively while it has it
                // open. Our own slave descriptor keeps the tty alive, so a claim
                // left by a program that died without closing would outlive it
                // and lock out its restart; drop the claim whenever it talks.
                if (fds[1].revents & POLLIN) ::ioctl(slave, TIOCNXCL);
                for (;;) {
                    const ssize_t n = ::read(master, buf, sizeof buf);
                    if (n <= 0) break;
                    got = true;
                    receive(buf, std::size_t(n), Clock::now());
                }
                if (!got && !(fds[1].revents & POLLIN)) {
                    // Hung up without data should not happen while we hold the
                    // slave; never spin on it if it does.
                    lk.unlock();
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    lk.lock();
                }
            }
        }
    }

    void lineOp(Op what, std::unique_lock<std::mutex>& lk) {
        if (!running) {
            opResult = what == Op::Drop ? (dropNow(), true) : restoreNow();
            return;
        }
        op = what;
        const uint64_t ticket = ++opAsked;
        wakeUp();
        changed.wait(lk, [&] { return opDone >= ticket || !running; });
    }
};

SensorPair::SensorPair(const Options& options) : d(std::make_unique<Impl>(options)) {}

SensorPair::~SensorPair() { stop(); }

bool SensorPair::start() {
    std::unique_lock lk(d->mu);
    if (d->running) return true;
    d->error.clear();
    if (::pipe2(d->wake, O_NONBLOCK | O_CLOEXEC) != 0) {
        d->error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    if (!d->openPty()) {
        ::close(d->wake[0]);
        ::close(d->wake[1]);
        d->wake[0] = d->wake[1] = -1;
        return false;
    }
    d->stopping = false;
    d->running = true;
    d->thread = std::thread([this] { d->run(); });
    return true;
}

void SensorPair::stop() {
    std::unique_lock lk(d->mu);
    if (!d->running) return;
    d->stopping = true;
    d->wakeUp();
    lk.unlock();
    d->thread.join();
    lk.lock();
    d->running = false;
    d->unlinkSymlink();
    d->closePty();
    ::close(d->wake[0]);
    ::close(d->wake[1]);
    d->wake[0] = d->wake[1] = -1;
    d->changed.notify_all();
}

bool SensorPair::running() const {
    std::lock_guard lk(d->mu);
    return d->running;
}

std::string SensorPair::devicePath() const {
    std::lock_guard lk(d->mu);
    return d->opt.symlinkPath.empty() ? d->pty : d->opt.symlinkPath;
}

std::string SensorPair::ptyPath() const {
    std::lock_guard lk(d->mu);
    return d->pty;
}

std::string SensorPair::lastError() const {
    std::lock_guard lk(d->mu);
    return d->error;
}

Page SensorPair::page(Memory memory, int index) const {
    std::lock_guard lk(d->mu);
    return d->device.page(memory, index);
}

void SensorPair::setPage(Memory memory, int index, const Page& words) {
    std::lock_guard lk(d->mu);
    d->device.setPage(memory, index, words);
}

std::vector<uint16_t> SensorPair::xflash(int page) const {
    std::lock_guard lk(d->mu);
    return d->device.xflash(page);
}

HardwareInfo SensorPair::hardware() const {
    std::lock_guard lk(d->mu);
    return d->device.hardware();
}

void SensorPair::setHardware(const HardwareInfo& info) {
    std::lock_guard lk(d->mu);
    d->device.setHardware(info);
}

std::string SensorPair::firmwareText() const {
    std::lock_guard lk(d->mu);
    return d->device.firmwareText();
}

void SensorPair::setFirmwareText(const std::string& text) {
    std::lock_guard lk(d->mu);
    d->device.setFirmwareText(text);
}

void SensorPair::setOverrides(const LiveOverrides& overrides) {
    std::lock_guard lk(d->mu);
    d->device.setOverrides(overrides, Clock::now());
}

LiveOverrides SensorPair::overrides() const {
    std::lock_guard lk(d->mu);
    return d->device.overrides();
}

std::array<uint16_t, 16> SensorPair::liveWords() {
    std::lock_guard lk(d->mu);
    return d->device.liveWords(Clock::now());
}

void SensorPair::setPacing(bool on) {
    std::lock_guard lk(d->mu);
    d->pacing = on;
    d->wakeUp();
}

void SensorPair::setBaud(uint32_t baud) {
    std::lock_guard lk(d->mu);
    d->baud = baud;
    d->wakeUp();
}

void SensorPair::setTurnaround(std::chrono::microseconds t) {
    std::lock_guard lk(d->mu);
    d->turnaround = t;
}

void SensorPair::setFifoSlice(std::size_t bytes) {
    std::lock_guard lk(d->mu);
    d->fifoSlice = bytes;
}

void SensorPair::setReplyToWrites(bool on) {
    std::lock_guard lk(d->mu);
    d->device.setReplyToWrites(on);
}

void SensorPair::setStrict(bool on) {
    std::lock_guard lk(d->mu);
    d->strict = on;
}

LineSettings SensorPair::lineSettings() const {
    std::lock_guard lk(d->mu);
    return d->readLine();
}

void SensorPair::setSilent(bool on) {
    std::lock_guard lk(d->mu);
    d->silent = on;
    if (on) d->out.clear();
    d->wakeUp();
}

void SensorPair::silenceOnce(uint16_t command) {
    std::lock_guard lk(d->mu);
    d->silenceCommands.insert(command);
}

void SensorPair::silenceBlockOnce(uint16_t offset) {
    std::lock_guard lk(d->mu);
    d->silenceOffsets.insert(offset);
}

void SensorPair::holdOnce(uint16_t command) {
    std::lock_guard lk(d->mu);
    d->holdCommands.insert(command);
}

void SensorPair::holdBlockOnce(uint16_t offset) {
    std::lock_guard lk(d->mu);
    d->holdOffsets.insert(offset);
}

void SensorPair::setBlockBytesOnce(uint16_t offset, std::vector<uint8_t> bytes) {
    std::lock_guard lk(d->mu);
    d->blockBytes[offset] = std::move(bytes);
}

void SensorPair::delayOnce(uint16_t command, std::chrono::microseconds extra) {
    std::lock_guard lk(d->mu);
    d->delays[command] = extra;
}

void SensorPair::setEchoSync(uint16_t sync) {
    std::lock_guard lk(d->mu);
    d->echoSync = sync;
}

void SensorPair::setExtraBytes(uint16_t command, std::size_t count) {
    std::lock_guard lk(d->mu);
    if (count) d->extraBytes[command] = count;
    else d->extraBytes.erase(command);
}

void SensorPair::setCutReply(uint16_t command, std::size_t keep) {
    std::lock_guard lk(d->mu);
    d->cutReplies[command] = keep;
}

void SensorPair::setFirmwareLength(std::size_t bytes) {
    std::lock_guard lk(d->mu);
    d->firmwareLength = bytes;
}

void SensorPair::setCommandEcho(uint16_t command, uint16_t echo) {
    std::lock_guard lk(d->mu);
    d->commandEcho[command] = echo;
}

void SensorPair::clearFaults() {
    std::lock_guard lk(d->mu);
    d->silent = false;
    d->silenceCommands.clear();
    d->silenceOffsets.clear();
    d->holdCommands.clear();
    d->holdOffsets.clear();
    d->blockBytes.clear();
    d->held.reset();
    d->delays.clear();
    d->echoSync.reset();
    d->extraBytes.clear();
    d->cutReplies.clear();
    d->firmwareLength.reset();
    d->commandEcho.clear();
}

void SensorPair::dropLine() {
    std::unique_lock lk(d->mu);
    d->lineOp(Impl::Op::Drop, lk);
}

bool SensorPair::restoreLine() {
    std::unique_lock lk(d->mu);
    d->lineOp(Impl::Op::Restore, lk);
    return d->opResult && d->master >= 0;
}

bool SensorPair::lineUp() const {
    std::lock_guard lk(d->mu);
    return d->master >= 0;
}

std::vector<RequestRecord> SensorPair::requests() const {
    std::lock_guard lk(d->mu);
    return {d->requestLog.begin(), d->requestLog.end()};
}

std::vector<ReplyRecord> SensorPair::replies() const {
    std::lock_guard lk(d->mu);
    return {d->replyLog.begin(), d->replyLog.end()};
}

Counters SensorPair::counters() const {
    std::lock_guard lk(d->mu);
    Counters c = d->counters;
    c.garbageBytes = d->reader.garbageBytes() - d->garbageBase;
    c.stalledFrames = d->reader.stalledFrames() - d->stalledBase;
    return c;
}

void SensorPair::clearRecords() {
    std::lock_guard lk(d->mu);
    d->requestLog.clear();
    d->replyLog.clear();
    d->counters = Counters{};
    d->garbageBase = d->reader.garbageBytes();
    d->stalledBase = d->reader.stalledFrames();
}

bool SensorPair::waitForRequests(uint64_t total, std::chrono::milliseconds timeout) const {
    std::unique_lock lk(d->mu);
    return d->changed.wait_for(lk, timeout, [&] { return d->counters.requests >= total; });
}

bool SensorPair::waitForReplies(uint64_t total, std::chrono::milliseconds timeout) const {
    std::unique_lock lk(d->mu);
    return d->changed.wait_for(lk, timeout, [&] { return d->counters.replies >= total; });
}

}  // namespace kvorsim
