#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A low-level, unbuffered, binary file handle. Move-only; holds -1 while closed.
// Paths are file-system paths in UTF-8.
class File {
public:
    enum class Mode {
        ReadOnly,         // existing file only
        ReadWrite,        // existing file only
        CreateReadWrite,  // created when missing, truncated to zero length
    };
    enum class Origin { Begin, Current, End };

    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool Open(const std::string& path, Mode mode);
    bool IsOpen() const { return fd_ >= 0; }
    // False when the system reported a failure (written data may be lost); the handle is closed anyway.
    bool Close();

    // Each returns the bytes moved, or -1 on failure; a read of 0 means end of file.
    // Interrupted and partial transfers are continued until done or failed.
    int64_t Read(void* buffer, uint64_t count);
    int64_t Write(const void* buffer, uint64_t count);
    // The new position, or -1.
    int64_t Seek(int64_t offset, Origin origin);
    int64_t Length();
    bool Truncate(int64_t length);
    // Makes written bytes durable before a rename publishes them.
    bool Flush();
    // The permission bits, as a file that replaces another keeps the old one's.
    bool SetPermissions(uint32_t mode);

private:
    int fd_ = -1;
};

// Replaces `to` by `from` in one step: readers see the old file or the new one, never a mix.
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// False when the folder exists already or cannot be made, as the platform's call does.
bool MakeDirectory(const std::string& path);
bool FileExists(const std::string& path);
// The permission bits of an existing file.
bool GetPermissions(const std::string& path, uint32_t& mode);
// The file that `path` names once every symbolic link on its end is followed (a link to a
// missing file gives the missing file's path), so that replacing it keeps the links.
std::string FollowLinks(const std::string& path);

// An 8-bit file name (each byte one character up to U+00FF) as a UTF-8 file-system path,
// so that a name cut from UTF-16 to its low bytes reaches the same file.
std::string PathFromNarrowName(const char* name);

}  // namespace platform
