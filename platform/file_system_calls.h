#pragma once
#include <sys/types.h>

namespace platform {

// Every operating-system call of the file layer goes through this table, so that tests
// can make one fail on demand (CI runs as root: permissions cannot make a write fail).
struct FileSystemCalls {
    int (*open)(const char* path, int flags, mode_t mode);
    ssize_t (*read)(int fd, void* buffer, size_t count);
    ssize_t (*write)(int fd, const void* buffer, size_t count);
    off_t (*lseek)(int fd, off_t offset, int whence);
    int (*ftruncate)(int fd, off_t length);
    int (*fsync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
    int (*unlink)(const char* path);
    int (*mkdir)(const char* path, mode_t mode);
};

FileSystemCalls& FileSystem();
// The real calls, for a test to restore or to delegate to.
const FileSystemCalls& RealFileSystem();

}  // namespace platform
