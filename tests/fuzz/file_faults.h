#pragma once
// Makes one file-system call of the platform layer fail with EIO: the Nth counted from the
// moment it is armed. While it lives every call is counted; its end restores the real calls.
#include "platform/file_system_calls.h"

#include <cerrno>

class FileFaults {
public:
    // 0 arms nothing.
    explicit FileFaults(int failingCall)
    {
        CallsLeft() = failingCall;
        if (failingCall == 0)
            return;
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
        calls.fsync = [](int fd) { return Fails() ? -1 : Real().fsync(fd); };
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
        if (--CallsLeft() != 0)
            return false;
        errno = EIO;
        return true;
    }
};
