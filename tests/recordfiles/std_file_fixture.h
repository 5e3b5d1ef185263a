#pragma once
#include "recordfiles/std_file.h"
#include "tests/recordfiles/record_test_files.h"

#include <gtest/gtest.h>

#include <tuple>

inline XCValue Number(double number)
{
    XCValue value;
    value.SetDouble(number);
    return value;
}

using Variables = std::vector<std::pair<uint16_t, recordtest::Bytes>>;

// A header with these header variables (code and value bytes), record codes and record length.
inline recordtest::StdImage Image(Variables variables = {}, std::vector<uint16_t> codes = {0x0139}, uint16_t length = 5)
{
    recordtest::StdImage image;
    image.headerVariables = std::move(variables);
    image.recordCodes = std::move(codes);
    image.recordLength = length;
    return image;
}

// The time stamp followed by `more` codes of `moreBytes` bytes; year base 2015.
inline recordtest::StdImage TimedImage(std::vector<uint16_t> more = {0x41DA}, uint16_t moreBytes = 2)
{
    more.insert(more.begin(), 0x0139);
    return Image({{0x412C, recordtest::Be16(15)}}, more, uint16_t(5 + moreBytes));
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
    // Sets a record value and returns what reading it back gives.
    double Set(int index, double number)
    {
        XCValue value;
        file_.SetValue(index, Number(number));
        file_.GetValue(index, value);
        return value.GetDouble();
    }
    // Sets the time stamp and the second variable (the sample interval of the default image).
    bool Append(const XCTime& t, double second = 0)
    {
        Set(0, t.ToDouble());
        Set(1, second);
        return file_.AppendRecord();
    }
    // The record count and the first and last times.
    std::tuple<int, XCTime, XCTime> Span()
    {
        return {file_.GetRecordCount(), *file_.GetFirstTime(), *file_.GetLastTime()};
    }
    void TearDown() override { platform::FileSystem() = platform::RealFileSystem(); }

    recordtest::TempFolder folder_;
    XCStdFile file_;
};
