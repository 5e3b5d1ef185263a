#pragma once
#include <string>

// A UTF-16 path as the UTF-8 path that the platform's file calls take.
std::string FileSystemPath(const char16_t* path);
