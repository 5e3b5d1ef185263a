#pragma once
// A pseudo-terminal published as a serial port: the program opens the slave side through a link
// (comN in a TemporaryPortsFolder), and the test plays the device on the master side.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

class PtyPort {
public:
    explicit PtyPort(std::string linkPath) : link_(std::move(linkPath))
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pseudo-terminal");
        // Held open so that the master never sees the line hang up between the program's opens.
        slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY | O_CLOEXEC);
        unlink(link_.c_str());
        if (slave_ < 0 || symlink(ptsname(master_), link_.c_str()) != 0) throw std::runtime_error("pty not published");
    }
    ~PtyPort()
    {
        unlink(link_.c_str());
        HangUp();
        close(slave_);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    int Master() const { return master_; }

    void Send(const Bytes& bytes) const
    {
        for (ssize_t n = 0, sent = 0; sent < static_cast<ssize_t>(bytes.size()) && n >= 0; sent += n)
            n = write(master_, bytes.data() + sent, bytes.size() - static_cast<size_t>(sent));
    }

    // What the program wrote: up to `count` bytes, waiting at most about `timeoutMs`.
    Bytes Receive(size_t count, int timeoutMs) const
    {
        Bytes got(count);
        size_t have = 0;
        struct pollfd wait = {master_, POLLIN, 0};
        for (int waited = 0; have < count && waited < timeoutMs; waited += 5) {
            const ssize_t n = poll(&wait, 1, 5) > 0 ? read(master_, &got[have], count - have) : 0;
            have += static_cast<size_t>(std::max<ssize_t>(n, 0));
        }
        got.resize(have);
        return got;
    }

    // Waits, at most `timeoutMs`, until the program's side holds `count` unread bytes.
    bool WaitUntilPendingAtPort(int count, int timeoutMs) const
    {
        int pending = 0;
        for (int waited = 0; waited < timeoutMs; ++waited, std::this_thread::sleep_for(std::chrono::milliseconds(1)))
            if (ioctl(slave_, FIONREAD, &pending) == 0 && pending >= count) return true;
        return false;
    }

    // The device goes away, as a USB adapter pulled out.
    void HangUp()
    {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    std::string link_;
    int master_ = -1;
    int slave_ = -1;
};

}  // namespace testsupport
