#pragma once
#include <cstdint>

namespace platform {

// Milliseconds of a monotonic clock, cut to 32 bits: it wraps, so callers compare
// ticks only by unsigned difference, (TickCount() - start) < limit.
uint32_t TickCount();

void SleepMilliseconds(uint32_t milliseconds);

}  // namespace platform
