#include "recordfiles/tail_move.h"

namespace {

constexpr int kMoveBlockSize = 4096;

}  // namespace

bool MoveTailDown(platform::File& file, int64_t destination, int64_t gap)
{
    unsigned char block[kMoveBlockSize];
    for (;; destination += kMoveBlockSize) {
        if (file.Seek(destination + gap, platform::File::Origin::Begin) < 0)
            return false;
        const int64_t got = file.Read(block, kMoveBlockSize);
        if (got < 0)
            return false;
        if (got > 0 && (file.Seek(destination, platform::File::Origin::Begin) < 0 ||
                        file.Write(block, static_cast<uint64_t>(got)) != got))
            return false;
        if (got < kMoveBlockSize)
            return true;
    }
}
