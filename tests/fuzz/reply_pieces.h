#pragma once
// Splits the rest of a fuzz input into the pieces a serial read could return: each piece is
// announced by one byte that sets its length, from 1 up to what the reader may take.
#include "tests/fuzz/fuzz_input.h"

#include <vector>

inline std::vector<uint8_t> NextPiece(FuzzInput& input, uint32_t mostBytes)
{
    if (mostBytes == 0)
        return {};
    return input.Bytes(1 + input.Byte() % mostBytes);
}
