#pragma once
// The STD file the benchmarks use: per record a time stamp, a sample interval of 60 and a counter.
#include "tests/recordfiles/record_test_files.h"

inline recordtest::StdImage BenchStdImage()
{
    recordtest::StdImage image;
    image.headerVariables = {{0x412C, recordtest::Be16(15)}};
    image.recordCodes = {0x0139, 0x41DA, 0x4005};
    image.recordLength = 9;
    return image;
}

// Header and `records` records, record i stamped `stampOf(i)`.
template <typename StampOf>
recordtest::Bytes BenchStdFile(int records, StampOf stampOf)
{
    using namespace recordtest;
    const StdImage image = BenchStdImage();
    Bytes data = image.Header();
    for (int i = 0; i < records; ++i) {
        const uint32_t stamp = uint32_t(XCTime::Pack(2015, stampOf(i).ToDouble()));
        const Bytes record = image.Record(Concat({Be32(stamp), Be16(60), Be16(uint16_t(i))}));
        data.insert(data.end(), record.begin(), record.end());
    }
    return data;
}
