#pragma once
#include "foundation/xc_string.h"
#include "foundation/xc_time.h"
#include "foundation/xc_value.h"
#include "platform/file.h"
#include "recordfiles/record_file.h"

#include <cstdint>

// An EVA file: a 34-byte header, then 10-byte records stamped with a packed date and time
// and guarded by an 8-bit sum or a CRC-16. Existing files only; this class writes no record.
//
// Header: 0 text (10 bytes), 10 text (6), 16 text (12), each ending at its first zero byte;
// 28 checksum type (u16), 30 year (u16), 32 check value. Record: 0 packed stamp (u32, years
// after the base year in bits 26-31), 4 values and check value. Integers are big-endian.
class XCEvaFile : public XCFile {
public:
    static constexpr int kHeaderSize = 34;
    static constexpr int kRecordSize = 10;
    static constexpr int kSumChecksum = 0;
    static constexpr int kCrcChecksum = 1;

    XCEvaFile() = default;
    XCEvaFile(const XCEvaFile&) = delete;
    XCEvaFile& operator=(const XCEvaFile&) = delete;
    ~XCEvaFile() override;

    bool Open(const char16_t* path, bool readOnly) override;
    void Close() override;
    bool IsOpen() const override { return file_.IsOpen(); }
    const XCTime* GetFirstTime() override { return &firstTime_; }
    const XCTime* GetLastTime() override { return &lastTime_; }
    // Every whole record slot, valid or not.
    int32_t GetRecordCount() override { return recordCount_; }
    // Removes the records from the first at or after `from` up to, not including, the first
    // at or after `to` (one record found for both ends is itself removed unless it is the
    // last). On an I/O failure part way the moved blocks stay moved, false is returned and the
    // object describes the file as it then stands.
    bool DeleteRange(const XCTime& from, const XCTime& to) override;

    // Brings a record into the one-record buffer and verifies it; the last verified record
    // is answered without file access.
    bool ReadRecord(int index);
    // The stamp of the record in the buffer (verified or not), as seconds since 1970 UTC.
    void GetRecordTime(XCValue& out) const;
    double GetRecordTimeAsDouble() const;
    // The index of the record at `t` or the first after it, or -1.
    int FindRecordByTime(const XCTime& t);
    static bool VerifyChecksum(int type, const unsigned char* data, int length);

    int GetFirstValidIndex() const { return firstValid_; }
    int GetLastValidIndex() const { return lastValid_; }
    int GetBaseYear() const { return baseYear_; }
    const XCStringA& GetHeaderText1() const { return headerText1_; }
    const XCStringA& GetHeaderText2() const { return headerText2_; }
    const XCStringA& GetHeaderText3() const { return headerText3_; }

private:
    bool ReadHeader();
    // After a failed pruning step: describe the file as it now stands, or end closed.
    void Rescan();

    XCStringW path_;
    XCStringA headerText1_;
    XCStringA headerText2_;
    XCStringA headerText3_;
    XCTime firstTime_;
    XCTime lastTime_;
    platform::File file_;
    int32_t recordCount_ = 0;
    int32_t checksumType_ = 0;
    int cachedIndex_ = -1;
    int firstValid_ = -1;
    int lastValid_ = -1;
    unsigned char record_[kRecordSize] = {};
    bool readOnly_ = false;
    int32_t baseYear_ = 2015;
};
