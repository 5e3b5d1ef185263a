#pragma once
// A pseudo-terminal published as a serial port: the program opens the slave side through a link
// (comN in a TemporaryPortsFolder), and the test plays the device on the master side.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

class PtyPort {
public:
    explicit PtyPort(std::string linkPath) : link_(std::move(linkPath))
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
            throw std::runtime_error("no pseudo-terminal");
        }
        slaveName_ = ptsname(master_);
        // Held open so that the master never sees the line hang up between the program's opens.
        slave_ = open(slaveName_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        unlink(link_.c_str());
        if (slave_ < 0 || symlink(slaveName_.c_str(), link_.c_str()) != 0) {
            throw std::runtime_error("pseudo-terminal not published");
        }
    }
    ~PtyPort()
    {
        unlink(link_.c_str());
        HangUp();
        close(slave_);
    }
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    const std::string& SlaveName() const { return slaveName_; }
    int Master() const { return master_; }

    void Send(const Bytes& bytes) const
    {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = write(master_, bytes.data() + sent, bytes.size() - sent);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (errno != EAGAIN && errno != EINTR) {
                return;
            } else {
                struct pollfd wait = {master_, POLLOUT, 0};
                poll(&wait, 1, 100);
            }
        }
    }

    // What the program wrote: up to `count` bytes, waiting at most about `timeoutMs`.
    Bytes Receive(size_t count, int timeoutMs) const
    {
        Bytes got;
        uint8_t chunk[512];
        struct pollfd wait = {master_, POLLIN, 0};
        for (int waited = 0; got.size() < count && waited < timeoutMs; waited += 5) {
            const size_t want = std::min(sizeof chunk, count - got.size());
            const ssize_t n = poll(&wait, 1, 5) > 0 ? read(master_, chunk, want) : 0;
            got.insert(got.end(), chunk, chunk + std::max<ssize_t>(n, 0));
        }
        return got;
    }

    // Waits, at most `timeoutMs`, until the program's side holds `count` unread bytes.
    bool WaitUntilPendingAtPort(int count, int timeoutMs) const
    {
        int pending = 0;
        for (int waited = 0; waited < timeoutMs; ++waited) {
            if (ioctl(slave_, FIONREAD, &pending) == 0 && pending >= count) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // The device goes away, as a USB adapter pulled out.
    void HangUp()
    {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

private:
    std::string link_;
    std::string slaveName_;
    int master_ = -1;
    int slave_ = -1;
};

// A scripted device on its own thread, joined when the test ends whatever happens.
class Peer {
public:
    template <typename Script>
    explicit Peer(Script script) : thread_(script) {}
    ~Peer() { Join(); }
    void Join()
    {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

private:
    std::thread thread_;
};

}  // namespace testsupport
