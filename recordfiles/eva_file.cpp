#include "recordfiles/eva_file.h"

#include "foundation/modbus_crc16.h"
#include "recordfiles/base_year.h"
#include "foundation/file_system_path.h"
#include "recordfiles/record_bytes.h"
#include "recordfiles/tail_move.h"

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr int kText1Offset = 0;
constexpr int kText1Size = 10;
constexpr int kText2Offset = 10;
constexpr int kText2Size = 6;
constexpr int kText3Offset = 16;
constexpr int kText3Size = 12;
constexpr int kChecksumTypeOffset = 28;
constexpr int kYearOffset = 30;

void AssignTextField(XCStringA& text, const unsigned char* field, size_t size)
{
    const std::string value = record_bytes::TextField(field, size);
    text.Assign(value.data(), static_cast<int32_t>(value.size()));
}

}  // namespace

XCEvaFile::~XCEvaFile() { Close(); }

bool XCEvaFile::Open(const char16_t* path, bool readOnly)
{
    // Copied first: `path` may be this object's own path, which Close empties.
    const XCStringW view(path);
    XCStringW newPath;
    newPath.Assign(view.GetData(), view.GetLength());
    Close();
    readOnly_ = readOnly;
    if (newPath.GetLength() == 0)
        return false;
    const auto mode = readOnly ? platform::File::Mode::ReadOnly : platform::File::Mode::ReadWrite;
    if (!file_.Open(FileSystemPath(newPath.GetData()), mode))
        return false;
    if (!ReadHeader()) {
        Close();
        return false;
    }
    path_ = newPath;
    return true;
}

void XCEvaFile::Close()
{
    if (!IsOpen())
        return;
    file_.Close();
    path_ = XCStringW();
    headerText1_ = XCStringA();
    headerText2_ = XCStringA();
    headerText3_ = XCStringA();
}

bool XCEvaFile::ReadHeader()
{
    cachedIndex_ = -1;
    unsigned char header[kHeaderSize];
    if (file_.Read(header, kHeaderSize) != kHeaderSize)
        return false;
    AssignTextField(headerText1_, header + kText1Offset, kText1Size);
    AssignTextField(headerText2_, header + kText2Offset, kText2Size);
    AssignTextField(headerText3_, header + kText3Offset, kText3Size);
    const uint32_t type = record_bytes::ReadU16(header + kChecksumTypeOffset);
    if (type > 2)
        return false;
    checksumType_ = static_cast<int32_t>(type);
    baseYear_ = BaseYearFromField(record_bytes::ReadU16(header + kYearOffset));
    if (!VerifyChecksum(checksumType_, header, kHeaderSize))
        return false;

    const int64_t length = file_.Length();
    if (length < 0)
        return false;
    const int64_t count = length > kHeaderSize ? (length - kHeaderSize) / kRecordSize : 0;
    if (count > INT32_MAX)
        return false;
    recordCount_ = static_cast<int32_t>(count);
    std::memset(record_, 0, sizeof record_);
    firstValid_ = lastValid_ = -1;

    int first = 0;
    while (first < recordCount_ && !ReadRecord(first))
        ++first;
    if (first == recordCount_) {
        firstTime_ = XCTime();
        lastTime_ = XCTime();
        return true;
    }
    firstValid_ = first;
    firstTime_.FromDouble(GetRecordTimeAsDouble());
    lastValid_ = firstValid_;
    lastTime_ = firstTime_;
    for (int last = recordCount_ - 1; last > firstValid_; --last) {
        if (ReadRecord(last)) {
            lastValid_ = last;
            lastTime_.FromDouble(GetRecordTimeAsDouble());
            break;
        }
    }
    return true;
}

bool XCEvaFile::ReadRecord(int index)
{
    if (!IsOpen() || index < 0 || index >= recordCount_)
        return false;
    if (index == cachedIndex_)
        return true;
    cachedIndex_ = -1;
    if (file_.Seek(kHeaderSize + int64_t{kRecordSize} * index, platform::File::Origin::Begin) < 0)
        return false;
    if (file_.Read(record_, kRecordSize) != kRecordSize)
        return false;
    if (!VerifyChecksum(checksumType_, record_, kRecordSize))
        return false;
    cachedIndex_ = index;
    return true;
}

void XCEvaFile::GetRecordTime(XCValue& out) const
{
    out.SetDouble(XCTime::Unpack(baseYear_, record_bytes::ReadU32(record_)));
}

double XCEvaFile::GetRecordTimeAsDouble() const
{
    XCValue time;
    GetRecordTime(time);
    return time.GetDouble();
}

int XCEvaFile::FindRecordByTime(const XCTime& t)
{
    if (!IsOpen())
        return -1;
    if (t < firstTime_)
        return firstValid_;
    if (lastTime_ < t)
        return -1;
    int lo = firstValid_;
    int hi = lastValid_;
    int mid = lo;
    const double x = t.ToDouble();
    while (hi - lo > 1) {
        mid = lo + (hi - lo) / 2;
        // A probe that fails its check is judged by the stamp it holds.
        ReadRecord(mid);
        const double r = GetRecordTimeAsDouble();
        if (x > r)
            lo = mid;
        else if (x < r)
            hi = mid;
        else
            return mid;
    }
    const auto validAt = [this](int index, auto test) {
        return ReadRecord(index) && test(GetRecordTimeAsDouble());
    };
    const auto equalsX = [x](double r) { return r == x; };
    const auto notAfterX = [x](double r) { return r <= x; };
    if (validAt(lo, equalsX))
        return lo;
    if (validAt(hi, equalsX))
        return hi;
    if (validAt(hi, notAfterX) || validAt(mid, notAfterX) || validAt(lo, notAfterX))
        return hi;
    return -1;
}

bool XCEvaFile::VerifyChecksum(int type, const unsigned char* data, int length)
{
    if (data == nullptr || length < 2)
        return false;
    if (type == kSumChecksum) {
        unsigned sum = 1;
        for (int i = 0; i < length; ++i)
            sum += data[i];
        return (sum & 0xFF) == 0;
    }
    if (type == kCrcChecksum) {
        // The CRC is stored low byte first, as in a Modbus frame.
        const uint16_t crc = ModbusCrc16(data, static_cast<uint32_t>(length - 2));
        return data[length - 2] == (crc >> 8) && data[length - 1] == (crc & 0xFF);
    }
    return false;
}

bool XCEvaFile::DeleteRange(const XCTime& from, const XCTime& to)
{
    if (!IsOpen() || !from.IsValid() || !to.IsValid())
        return false;
    const int a = FindRecordByTime(from);
    if (a < 0)
        return false;
    int b = FindRecordByTime(to);
    if (b < 0)
        return false;
    if (b == a && b < recordCount_ - 1)
        ++b;
    const int64_t start = kHeaderSize + int64_t{kRecordSize} * a;
    const int64_t end = kHeaderSize + int64_t{kRecordSize} * b;
    if (end < start)
        return false;
    const int64_t length = file_.Length();
    if (length < 0)
        return false;
    const int64_t shift = end - start;
    // The cached record's bytes may move.
    cachedIndex_ = -1;
    if (!MoveTailDown(file_, start, shift) || !file_.Truncate(length - shift)) {
        Rescan();
        return false;
    }
    const XCStringW path(path_);
    const bool readOnly = readOnly_;
    Close();
    return Open(path.GetData(), readOnly);
}

void XCEvaFile::Rescan()
{
    if (file_.Seek(0, platform::File::Origin::Begin) != 0 || !ReadHeader())
        Close();
}
