#pragma once
// Takes over the file-system calls of the platform layer while it lives: once armed, the Nth
// call from then on fails with EIO. A sync returns at once, as what reaches the disk is not
// fuzzed and a sync costs milliseconds. Its end restores the real calls.
#include "platform/file_system_calls.h"

#include <cerrno>

class FileFaults {
public:
    FileFaults()
    {
        CallsLeft() = 0;
        platform::FileSystemCalls& calls = platform::FileSystem();
        calls.open = [](const char* path, int flags, mode_t mode) {
            return Fails() ? -1 : Real().open(path, flags, mode);
        };
        calls.read = [](int fd, void* buffer, size_t count) -> ssize_t {
            return Fails() ? -1 : Real().read(fd, buffer, count);
        };
        calls.write = [](int fd, const void* buffer, size_t count) -> ssize_t {
            return Fails() ? -1 : Real().write(fd, buffer, count);
        };
        calls.lseek = [](int fd, off_t offset, int whence) -> off_t {
            return Fails() ? -1 : Real().lseek(fd, offset, whence);
        };
        calls.ftruncate = [](int fd, off_t length) { return Fails() ? -1 : Real().ftruncate(fd, length); };
        calls.fsync = [](int) { return Fails() ? -1 : 0; };
        // A failing close still releases the descriptor, as the system's does.
        calls.close = [](int fd) {
            const bool fails = Fails();
            const int result = Real().close(fd);
            return fails ? -1 : result;
        };
        calls.rename = [](const char* from, const char* to) { return Fails() ? -1 : Real().rename(from, to); };
        calls.unlink = [](const char* path) { return Fails() ? -1 : Real().unlink(path); };
        calls.mkdir = [](const char* path, mode_t mode) { return Fails() ? -1 : Real().mkdir(path, mode); };
    }
    // 0: no call fails.
    void Arm(int failingCall) { CallsLeft() = failingCall; }

    ~FileFaults() { platform::FileSystem() = platform::RealFileSystem(); }
    FileFaults(const FileFaults&) = delete;
    FileFaults& operator=(const FileFaults&) = delete;

private:
    static const platform::FileSystemCalls& Real() { return platform::RealFileSystem(); }
    static int& CallsLeft()
    {
        static int left = 0;
        return left;
    }
    static bool Fails()
    {
        if (CallsLeft() <= 0 || --CallsLeft() != 0)
            return false;
        errno = EIO;
        return true;
    }
};
