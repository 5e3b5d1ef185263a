#pragma once
#include "foundation/xc_string.h"

// The folder of the running program's file, ending in a separator; empty when it cannot be found.
XCStringW GetModuleDirectory();

// Creates, from the top down, every folder named by the directory part of `path` (the text up
// to its last '/' or '\\'; the last component counts only when the path ends in a separator).
// True when the deepest folder was newly made by this call.
bool CreateDirectoriesForPath(const char16_t* path);
