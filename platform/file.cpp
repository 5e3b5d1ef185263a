#include "platform/file.h"

#include "platform/file_system_calls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

int OpenCall(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

const FileSystemCalls kRealCalls = {
    OpenCall, ::read, ::write, ::lseek, ::ftruncate, ::fsync, ::close, ::rename, ::unlink, ::mkdir,
};

}  // namespace

FileSystemCalls& FileSystem()
{
    static FileSystemCalls calls = kRealCalls;
    return calls;
}

const FileSystemCalls& RealFileSystem() { return kRealCalls; }

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool File::Open(const std::string& path, Mode mode)
{
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
    case Mode::ReadOnly: flags |= O_RDONLY; break;
    case Mode::ReadWrite: flags |= O_RDWR; break;
    case Mode::CreateReadWrite: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    do {
        fd_ = FileSystem().open(path.c_str(), flags, 0666);
    } while (fd_ < 0 && errno == EINTR);
    return fd_ >= 0;
}

bool File::Close()
{
    if (fd_ < 0)
        return true;
    const bool closed = FileSystem().close(fd_) == 0;
    fd_ = -1;
    return closed;
}

int64_t File::Read(void* buffer, uint64_t count)
{
    if (fd_ < 0)
        return -1;
    auto* bytes = static_cast<char*>(buffer);
    uint64_t done = 0;
    while (done < count) {
        const ssize_t got = FileSystem().read(fd_, bytes + done, count - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<uint64_t>(got);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, uint64_t count)
{
    if (fd_ < 0)
        return -1;
    const auto* bytes = static_cast<const char*>(buffer);
    uint64_t done = 0;
    while (done < count) {
        const ssize_t put = FileSystem().write(fd_, bytes + done, count - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return -1;
        done += static_cast<uint64_t>(put);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, Origin origin)
{
    if (fd_ < 0)
        return -1;
    const int whence = origin == Origin::Begin ? SEEK_SET : origin == Origin::Current ? SEEK_CUR : SEEK_END;
    return FileSystem().lseek(fd_, offset, whence);
}

int64_t File::Length()
{
    const int64_t here = Seek(0, Origin::Current);
    if (here < 0)
        return -1;
    const int64_t end = Seek(0, Origin::End);
    if (Seek(here, Origin::Begin) < 0)
        return -1;
    return end;
}

bool File::Truncate(int64_t length)
{
    return fd_ >= 0 && length >= 0 && FileSystem().ftruncate(fd_, length) == 0;
}

bool File::Flush() { return fd_ >= 0 && FileSystem().fsync(fd_) == 0; }

bool RenameFile(const std::string& from, const std::string& to)
{
    return FileSystem().rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return FileSystem().unlink(path.c_str()) == 0; }

bool MakeDirectory(const std::string& path) { return FileSystem().mkdir(path.c_str(), 0777) == 0; }

bool FileExists(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0;
}

std::string PathFromNarrowName(const char* name)
{
    std::string path;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p != 0; ++p) {
        if (*p < 0x80) {
            path += static_cast<char>(*p);
        } else {
            path += static_cast<char>(0xC0 | (*p >> 6));
            path += static_cast<char>(0x80 | (*p & 0x3F));
        }
    }
    return path;
}

}  // namespace platform
