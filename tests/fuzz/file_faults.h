#pragma once
// Takes over the file-system calls of the platform layer while it lives: the Nth call after the
// last arming fails with EIO (0: none fails). A sync returns at once, as what reaches the disk is
// not fuzzed and a sync costs milliseconds. Its end restores the real calls.
#include "platform/file_system_calls.h"

#include <cerrno>

class FileFaults {
public:
    explicit FileFaults(int failingCall)
    {
        Arm(failingCall);
        platform::FileSystemCalls& calls = platform::FileSystem();
        calls.open = [](const char* path, int flags, mode_t mode) {
            return Fails() ? -1 : Real().open(path, flags, mode);
        };
        calls.read = [](int fd, void* to, size_t n) { return Fails() ? -1 : Real().read(fd, to, n); };
        calls.write = [](int fd, const void* from, size_t n) { return Fails() ? -1 : Real().write(fd, from, n); };
        calls.lseek = [](int fd, off_t offset, int whence) { return Fails() ? -1 : Real().lseek(fd, offset, whence); };
        calls.ftruncate = [](int fd, off_t length) { return Fails() ? -1 : Real().ftruncate(fd, length); };
        calls.fsync = [](int) { return Fails() ? -1 : 0; };
        // A failing close still releases the descriptor, as the system's does.
        calls.close = [](int fd) { return Fails() ? (Real().close(fd), -1) : Real().close(fd); };
        calls.rename = [](const char* from, const char* to) { return Fails() ? -1 : Real().rename(from, to); };
        calls.unlink = [](const char* path) { return Fails() ? -1 : Real().unlink(path); };
        calls.mkdir = [](const char* path, mode_t mode) { return Fails() ? -1 : Real().mkdir(path, mode); };
    }
    void Arm(int failingCall) { callsLeft_ = failingCall; }

    ~FileFaults() { platform::FileSystem() = platform::RealFileSystem(); }

private:
    static const platform::FileSystemCalls& Real() { return platform::RealFileSystem(); }
    static inline int callsLeft_ = 0;
    static bool Fails()
    {
        if (callsLeft_ <= 0 || --callsLeft_ != 0)
            return false;
        errno = EIO;
        return true;
    }
};
