#pragma once
#include <string>

namespace platform {

// The full path of the running program's own file, in UTF-8; empty when it cannot be read.
std::string ExecutablePath();

// Makes `folder` (UTF-8) the process's current directory.
bool SetCurrentDirectory(const std::string& folder);

}  // namespace platform
