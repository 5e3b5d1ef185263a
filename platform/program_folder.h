#pragma once
#include <string>

namespace platform {

// The full path of the running program's own file, as its bytes; empty when it cannot be read.
std::string ExecutablePath();

// The folder of the running program's own file, ending in '/', as the bytes of its path: a folder
// name that is not UTF-8, as archives made elsewhere unpack, is kept as it stands. Empty when the
// path cannot be read.
std::string ExecutableFolder();

// Makes `folder` the process's current directory; its bytes are passed on unchanged.
bool SetCurrentDirectory(const std::string& folder);

}  // namespace platform
