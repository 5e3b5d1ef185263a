#pragma once
#include "platform/file.h"

#include <cstdint>

// Moves everything from `destination` + `gap` to the end of the file down to `destination`,
// front to back through one 4096-byte block. False at the first failed seek, read or short
// write; blocks moved by then stay moved. The file is not shortened.
bool MoveTailDown(platform::File& file, int64_t destination, int64_t gap);
