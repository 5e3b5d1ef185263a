#pragma once
#include "recordfiles/std_file.h"
#include "tests/recordfiles/record_test_files.h"

#include <gtest/gtest.h>

inline XCValue Number(double number)
{
    XCValue value;
    value.SetDouble(number);
    return value;
}

// The time stamp followed by `more` codes of `moreBytes` bytes; year base 2015.
inline recordtest::StdImage TimedImage(std::vector<uint16_t> more = {0x41DA}, uint16_t moreBytes = 2)
{
    recordtest::StdImage image;
    image.headerVariables = {{0x412C, recordtest::Be16(15)}};
    image.recordCodes.insert(image.recordCodes.end(), more.begin(), more.end());
    image.recordLength = uint16_t(5 + moreBytes);
    return image;
}

// An STD data file in a fresh folder and the object that opens it.
class StdFileTest : public ::testing::Test {
protected:
    // Writes the data file and opens it; without an index file opening rebuilds one.
    bool Open(const recordtest::Bytes& data, bool readOnly = false)
    {
        recordtest::WriteBytes(folder_ / "data.std", data);
        return Reopen(readOnly, true);
    }
    bool Reopen(bool readOnly, bool withoutIndex)
    {
        file_.Close();
        if (withoutIndex)
            std::filesystem::remove(folder_ / "data.istd");
        return file_.Open(folder_.Data().c_str(), readOnly);
    }
    recordtest::Bytes Data() const { return recordtest::ReadBytes(folder_ / "data.std"); }
    recordtest::Bytes Index() const { return recordtest::ReadBytes(folder_ / "data.istd"); }
    void Set(int index, double number) { file_.SetValue(index, Number(number)); }

    recordtest::TempFolder folder_;
    XCStdFile file_;
};
