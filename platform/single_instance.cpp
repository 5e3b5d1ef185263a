#include "platform/single_instance.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

SingleInstanceGuard::~SingleInstanceGuard() { Release(); }

std::string SingleInstanceGuard::LockPath(const std::string& name)
{
    std::string file;
    for (char c : name)
        file += c == '/' ? '_' : c;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/')
        return std::string(runtime) + "/" + file + ".lock";
    // /tmp is shared by every user: one user's instance must not lock out another's.
    return "/tmp/" + file + "." + std::to_string(::getuid()) + ".lock";
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Acquire(const std::string& name)
{
    Release();
    const std::string path = LockPath(name);
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Outcome::Unavailable;
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Outcome::HeldElsewhere : Outcome::Unavailable;
    }
    fd_ = fd;
    return Outcome::Acquired;
}

void SingleInstanceGuard::Release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

}  // namespace platform
