#pragma once
#include "platform/file.h"
#include "recordfiles/std_file.h"

#include <cstdint>

// The lines of the logs and events CSV files: "dd/mm/yyyy hh:mm:ss,value" in local time, 8-bit
// text, CR LF, no header. Each returns false when the file did not take the whole line.

// A log record: the sample word as its value with two decimals. The record file is asked for a
// sample variable and, having none, gets nothing.
bool WriteLogRecord(platform::File& logs, XCStdFile& recordFile, uint32_t packed, uint16_t value);
// An event record: the text of the lowest of bits 0-6 of the mask, each unit cut to its low
// byte, up to the first unit that comes to 0; a mask without any of them writes nothing.
bool WriteEventRecord(platform::File& events, uint32_t packed, uint16_t mask);
