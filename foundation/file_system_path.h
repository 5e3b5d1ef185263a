#pragma once
#include "foundation/xc_string.h"

#include <string>

// A UTF-16 path as the UTF-8 path that the platform's file calls take.
std::string FileSystemPath(const XCStringW& path);
std::string FileSystemPath(const char16_t* path);
