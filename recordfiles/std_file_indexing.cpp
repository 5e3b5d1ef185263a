#include "recordfiles/std_file.h"
#include "recordfiles/std_number_conversion.h"

#include <utility>
#include <vector>

bool XCStdFile::RebuildIndex()
{
    index_.Close();
    if (!XCStdIndexFile::CreateEmpty(path_.GetData()) || !index_.Open(path_.GetData(), false))
        return false;
    if (FindRecordVariable(kTimeStampId) < 0)
        return false;
    std::vector<XCStdIndexFile::Entry> entries;
    const bool walked = CollectIndexEntries(entries);
    // What was found before a failure stays indexed.
    if (!index_.WriteEntries(std::move(entries)) || !walked)
        return false;
    return index_.Open(path_.GetData(), readOnly_);
}

bool XCStdFile::CollectIndexEntries(std::vector<XCStdIndexFile::Entry>& entries)
{
    const int64_t end = data_.Length();
    if (end < 0 || data_.Seek(headerLength_, platform::File::Origin::Begin) != headerLength_)
        return false;
    XCValue blobLength;
    for (int64_t position = headerLength_; position < end;) {
        if (data_.Read(record_.data(), record_.size()) != recordLength_)
            return false;
        uint32_t time = 0;
        if (VerifyChecksum(checksumType_, record_.data(), recordLength_) && ReadTimeStamp(record_.data(), time) &&
            position <= UINT32_MAX)
            entries.push_back({time, GetSampleInterval() * 1000u, GetRecordKind(), static_cast<uint32_t>(position)});
        position += recordLength_;
        if (blobLengthPosition_ >= 0) {
            GetValue(blobLengthPosition_, blobLength);
            const int32_t blobSize = std_numbers::TruncateToInt32(blobLength.GetDouble());
            // A negative length would walk backwards for ever: the file is damaged.
            if (blobSize < 0)
                return false;
            position += blobSize;
            if (data_.Seek(position, platform::File::Origin::Begin) != position)
                return false;
        }
    }
    return true;
}

int XCStdFile::FindRecordByTime(const XCTime& t)
{
    if (FindRecordVariable(kTimeStampId) < 0)
        return -2;
    if (static_cast<int>(t.GetYear()) < yearBase_)
        return GetRecordCount() > 0 ? 0 : -1;
    const uint32_t key = std_numbers::TruncateToUint32(XCTime::Pack(yearBase_, t.ToDouble()));
    return index_.FindByKey(key, static_cast<uint32_t>(t.GetMicroseconds()));
}
