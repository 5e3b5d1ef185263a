#include "platform/single_instance.h"

#include <cerrno>
#include <string>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// The user's runtime folder, when it is a real folder of the user's that no one else may write
// into; else empty.
std::string PrivateRuntimeFolder()
{
    const std::string folder = "/run/user/" + std::to_string(::getuid());
    struct stat info;
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return std::string();
    return folder;
}

}  // namespace

SingleInstanceGuard::~SingleInstanceGuard() { Release(); }

std::string SingleInstanceGuard::LockPath(const std::string& name)
{
    std::string file;
    for (char c : name)
        file += c == '/' ? '_' : c;
    const std::string runtime = PrivateRuntimeFolder();
    if (!runtime.empty())
        return runtime + "/" + file + ".lock";
    // /tmp is shared by every user: one user's instance must not lock out another's.
    return "/tmp/" + file + "." + std::to_string(::getuid()) + ".lock";
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Acquire(const std::string& name)
{
    Release();
    const std::string path = LockPath(name);
    // A link, or a file another user made first, could hold this user's instances out for good.
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return Outcome::Unavailable;
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()) {
        ::close(fd);
        return Outcome::Unavailable;
    }
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
