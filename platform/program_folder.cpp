#include "platform/program_folder.h"

#include <unistd.h>

#include <vector>

namespace platform {

std::string ExecutablePath()
{
    // readlink does not say whether it cut the path short, so grow until the answer fits.
    for (size_t size = 256; size <= (1u << 20); size *= 2) {
        std::vector<char> buffer(size);
        const ssize_t got = ::readlink("/proc/self/exe", buffer.data(), size);
        if (got < 0)
            return std::string();
        if (static_cast<size_t>(got) < size)
            return std::string(buffer.data(), static_cast<size_t>(got));
    }
    return std::string();
}

std::string ExecutableFolder()
{
    const std::string program = ExecutablePath();
    return program.substr(0, program.rfind('/') + 1);
}

bool SetCurrentDirectory(const std::string& folder) { return ::chdir(folder.c_str()) == 0; }

}  // namespace platform
