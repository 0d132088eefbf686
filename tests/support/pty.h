// A raw pseudo-terminal pair: the code under test opens the slave by path, the
// test plays the far end on the master; closing the master makes the device vanish.
#pragma once

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

namespace testsupport {

class Pty {
public:
    Pty() {
        char name[128] = {};
        termios t{};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
            master_ = slave_ = -1;
        } else if (path_ = name; tcgetattr(slave_, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(slave_, TCSANOW, &t);
        }
    }
    ~Pty() { closeMaster(), closeSlave(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& path() const { return path_; }

    // Writes all of `bytes` to the far end of the device.
    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t n = ::write(master_, bytes.data(), bytes.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            bytes.remove_prefix(std::size_t(n));
        }
        return true;
    }

    // The device disappears for whoever has the slave open.
    void closeMaster() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

    // Our slave descriptor keeps the pair alive between opens; drop it first
    // for the reader to see the far end's close.
    void closeSlave() {
        if (slave_ >= 0) ::close(slave_);
        slave_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace testsupport
