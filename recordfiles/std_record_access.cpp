#include "foundation/file_system_path.h"
#include "recordfiles/record_bytes.h"
#include "recordfiles/std_file.h"
#include "recordfiles/std_number_conversion.h"
#include "recordfiles/tail_move.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr uint16_t kRecordKindId = 342;

}  // namespace

int XCStdFile::FindRecordVariable(uint16_t id) const
{
    for (size_t i = 0; i < recordVariables_.size(); ++i)
        if ((recordVariables_[i]->code & 0xFFF) == id)
            return static_cast<int>(i);
    return -1;
}

bool XCStdFile::ReadTimeStamp(const unsigned char* record, uint32_t& time) const
{
    const int position = FindRecordVariable(kTimeStampId);
    if (position < 0)
        return false;
    const uint32_t offset = recordVariables_[position]->offset;
    // A time stamp coded narrower than four bytes at the record's end must not be read past it.
    if (offset + 4 > static_cast<uint32_t>(recordLength_))
        return false;
    time = record_bytes::ReadU32(record + offset);
    return true;
}

bool XCStdFile::AppendRecord()
{
    if (!recordModified_)
        return true;
    if (readOnly_)
        return false;
    uint32_t time = 0;
    if (!ReadTimeStamp(record_.data(), time))
        return false;
    const int64_t recordOffset = data_.Length();
    if (recordOffset < 0 || recordOffset > UINT32_MAX)
        return false;
    const uint32_t interval = GetSampleInterval() * 1000u;
    const uint32_t kind = GetRecordKind();
    // An index write failing part way may have lost entries; the data file gives them back. The
    // rebuild walks the records through the current record's buffer, whose record stays pending.
    const auto realignIndex = [this] {
        const std::vector<unsigned char> pending = record_;
        RebuildIndex();
        record_ = pending;
    };
    bool overwritten = false;
    if (!index_.AddEntry(time, interval, kind, static_cast<uint32_t>(recordOffset), true, &overwritten)) {
        if (overwritten)
            realignIndex();
        return false;
    }

    int blobSize = 0;
    if (blobLengthPosition_ >= 0) {
        if (blobSource_ != nullptr)
            blobSize = std::max(0, blobSource_->GetSize());
        XCValue size;
        size.SetDouble(blobSize);
        SetValue(blobLengthPosition_, size);
    }
    WriteChecksum(checksumType_, record_.data(), static_cast<unsigned>(recordLength_));
    const bool written = data_.Seek(recordOffset, platform::File::Origin::Begin) == recordOffset &&
                         data_.Write(record_.data(), record_.size()) == recordLength_ &&
                         (blobSize == 0 || WriteBlob(blobSize));
    if (!written) {
        // Neither a partial record nor an entry pointing at it may stay behind.
        data_.Truncate(recordOffset);
        if (!index_.RemoveEntry(time, interval, kind))
            realignIndex();
        return false;
    }
    recordModified_ = false;
    return true;
}

bool XCStdFile::WriteBlob(int size)
{
    std::vector<unsigned char> blob(static_cast<size_t>(size));
    return blobSource_->Fill(blob.data(), size, unitScales_.Data()) && data_.Write(blob.data(), blob.size()) == size;
}

uint32_t XCStdFile::GetSampleInterval()
{
    XCValue value;
    for (int position : {interval474Position_, interval976Position_}) {
        if (position >= 0) {
            GetValue(position, value);
            return std_numbers::TruncateToUint32(value.GetDouble());
        }
    }
    if (interval362Position_ >= 0 && interval343Position_ >= 0) {
        GetValue(interval362Position_, value);
        const double a = value.GetDouble();
        GetValue(interval343Position_, value);
        const double b = value.GetDouble();
        if (b == 0.0)
            return 0;
        return std_numbers::TruncateToUint32(a / (b / 5.0) * 1000.0);
    }
    return 0;
}

uint32_t XCStdFile::GetRecordKind()
{
    const int position = FindRecordVariable(kRecordKindId);
    if (position < 0)
        return 0;
    XCValue value;
    GetValue(position, value);
    const uint16_t bits = static_cast<uint16_t>(std_numbers::TruncateToInt32(value.GetDouble()));
    return (bits >> 12) + 1u;
}

bool XCStdFile::IsOpen() const { return data_.IsOpen() && (!indexInUse_ || index_.IsOpen()); }

const XCTime* XCStdFile::GetFirstTime() { return index_.GetFirstTime(yearBase_); }

const XCTime* XCStdFile::GetLastTime() { return index_.GetLastTime(yearBase_); }

int32_t XCStdFile::GetRecordCount() { return index_.GetCount(); }

bool XCStdFile::DeleteRange(const XCTime& from, const XCTime& to)
{
    if (!IsOpen() || readOnly_ || !from.IsValid() || !to.IsValid())
        return false;
    const int a = FindRecordByTime(from);
    if (a < 0)
        return false;
    const uint32_t offsetA = index_.ReadEntry(a);
    if (offsetA == XCStdIndexFile::kNoOffset)
        return false;
    int b = FindRecordByTime(to);
    if (b < 0)
        return false;
    if (b == a && a < GetRecordCount() - 1)
        b = a + 1;
    const uint32_t offsetB = index_.ReadEntry(b);
    if (offsetB == XCStdIndexFile::kNoOffset || offsetB < offsetA)
        return false;

    const std::u16string keptPath(path_.GetData(), static_cast<size_t>(path_.GetLength()));
    const int64_t size = data_.Length();
    // A stale or damaged index must not move data over the header or past the end.
    if (size < 0 || offsetA < static_cast<uint32_t>(headerLength_) || offsetB > size)
        return false;
    // An older record appended late lies at the end of the data file while its entry sits at its
    // place in time, so the bytes between the two offsets may hold records of other times.
    if (!index_.SpanHoldsExactly(offsetA, offsetB, a, b))
        return false;
    const int64_t gap = offsetB - offsetA;
    // Part way through, the index no longer fits the data: it is rebuilt after a failure too.
    const bool moved = MoveTailDown(data_, offsetA, gap) && data_.Truncate(size - gap);

    const bool readOnly = readOnly_;
    Close();
    XCStringW indexPath;
    MakeIndexFileName(keptPath.c_str(), indexPath);
    platform::RemoveFile(FileSystemPath(indexPath.GetData()));
    const bool reopened = Open(keptPath.c_str(), readOnly);
    return moved && reopened;
}
