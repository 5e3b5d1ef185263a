#include "recordfiles/std_index_file.h"

#include "foundation/path_utilities.h"
#include "foundation/file_system_path.h"
#include "recordfiles/record_bytes.h"
#include "recordfiles/std_file.h"

#include <algorithm>
#include <vector>

namespace {

bool KeyLess(const XCStdIndexFile::Entry& a, const XCStdIndexFile::Entry& b)
{
    return XCStdIndexFile::EntryGreater(b, a);
}

uint32_t Distance(uint32_t a, uint32_t b) { return a > b ? a - b : b - a; }

}  // namespace

void XCStdIndexFile::IndexedEntry::DecodeEntry(const unsigned char bytes[kEntrySize])
{
    entry.time = record_bytes::ReadU32(bytes);
    entry.interval = record_bytes::ReadU32(bytes + 4);
    entry.kind = record_bytes::ReadU32(bytes + 8);
    entry.offset = record_bytes::ReadU32(bytes + 12);
}

void XCStdIndexFile::EncodeEntry(const Entry& entry, unsigned char bytes[kEntrySize])
{
    record_bytes::WriteU32(bytes, entry.time);
    record_bytes::WriteU32(bytes + 4, entry.interval);
    record_bytes::WriteU32(bytes + 8, entry.kind);
    record_bytes::WriteU32(bytes + 12, entry.offset);
}

bool XCStdIndexFile::EntryGreater(const Entry& a, const Entry& b)
{
    if (a.time != b.time)
        return a.time > b.time;
    if (a.interval != b.interval)
        return a.interval > b.interval;
    return a.kind > b.kind;
}

bool XCStdIndexFile::EntryEqual(const Entry& a, const Entry& b)
{
    return a.time == b.time && a.interval == b.interval && a.kind == b.kind;
}

XCStdIndexFile::XCStdIndexFile() = default;

XCStdIndexFile::~XCStdIndexFile() = default;

bool XCStdIndexFile::CreateEmpty(const char16_t* dataFilePath)
{
    XCStringW indexPath;
    XCStdFile::MakeIndexFileName(dataFilePath, indexPath);
    const std::string fileSystemPath = FileSystemPath(indexPath.GetData());
    platform::File file;
    if (!file.Open(fileSystemPath, platform::File::Mode::CreateReadWrite)) {
        CreateDirectoriesForPath(indexPath.GetData());
        if (!file.Open(fileSystemPath, platform::File::Mode::CreateReadWrite))
            return false;
    }
    return true;
}

bool XCStdIndexFile::Open(const char16_t* dataFilePath, bool readOnly)
{
    Close();
    readOnly_ = readOnly;
    XCStdFile::MakeIndexFileName(dataFilePath, path_);
    const auto mode = readOnly ? platform::File::Mode::ReadOnly : platform::File::Mode::ReadWrite;
    if (!file_.Open(FileSystemPath(path_.GetData()), mode))
        return false;
    if (!Load()) {
        Close();
        return false;
    }
    return true;
}

void XCStdIndexFile::Close()
{
    file_.Close();
    count_ = 0;
    first_.number = -1;
    last_.number = -1;
    cache_.number = -1;
}

bool XCStdIndexFile::Load()
{
    cache_.number = -1;
    first_.number = -1;
    last_.number = -1;
    const int64_t size = file_.Length();
    if (size < 0)
        return false;
    // A trailing partial entry is no entry; the next AddEntry writes over it.
    count_ = static_cast<int32_t>(size / kEntrySize);
    int i = 0;
    while (i < count_ && ReadEntry(i) == kNoOffset)
        ++i;
    if (i == count_)
        return true;
    first_ = cache_;
    for (int j = count_ - 1; j > first_.number; --j) {
        if (ReadEntry(j) != kNoOffset) {
            last_ = cache_;
            return true;
        }
    }
    last_ = first_;
    return true;
}

uint32_t XCStdIndexFile::ReadEntry(int i)
{
    if (!file_.IsOpen() || i < 0 || i >= count_)
        return kNoOffset;
    if (i == cache_.number)
        return cache_.entry.offset;
    cache_.number = -1;
    cache_.entry = Entry{kNoOffset, kNoOffset, kNoOffset, kNoOffset};
    unsigned char bytes[kEntrySize];
    if (file_.Seek(static_cast<int64_t>(i) * kEntrySize, platform::File::Origin::Begin) < 0 ||
        file_.Read(bytes, kEntrySize) != kEntrySize)
        return kNoOffset;
    cache_.DecodeEntry(bytes);
    cache_.number = i;
    return cache_.entry.offset;
}

int XCStdIndexFile::FindByKey(uint32_t time, uint32_t interval)
{
    const Entry key{time, interval, 0, 0};
    if (first_.number < 0 || KeyLess(key, first_.entry) || EntryGreater(key, last_.entry))
        return -1;
    int lo = first_.number;
    int hi = last_.number;
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (ReadEntry(mid) == kNoOffset)
            return -1;
        if (EntryEqual(cache_.entry, key))
            return mid;
        if (KeyLess(cache_.entry, key))
            lo = mid;
        else
            hi = mid;
    }
    const bool loReadable = ReadEntry(lo) != kNoOffset;
    const Entry loEntry = cache_.entry;
    if (loReadable && EntryEqual(loEntry, key))
        return lo;
    const bool hiReadable = ReadEntry(hi) != kNoOffset;
    const Entry hiEntry = cache_.entry;
    if (hiReadable && EntryEqual(hiEntry, key))
        return hi;
    if (loReadable && hiReadable)
        return Distance(hiEntry.time, time) < Distance(loEntry.time, time) ? hi : lo;
    if (loReadable)
        return lo;
    return hiReadable ? hi : -1;
}

bool XCStdIndexFile::ReadEntryDirect(int i, Entry& entry)
{
    unsigned char bytes[kEntrySize];
    if (file_.Seek(static_cast<int64_t>(i) * kEntrySize, platform::File::Origin::Begin) < 0 ||
        file_.Read(bytes, kEntrySize) != kEntrySize)
        return false;
    IndexedEntry decoded;
    decoded.DecodeEntry(bytes);
    entry = decoded.entry;
    return true;
}

bool XCStdIndexFile::AddEntry(uint32_t time, uint32_t interval, uint32_t kind, uint32_t offset, bool flush,
                              bool* overwritten)
{
    if (!file_.IsOpen() || readOnly_)
        return false;
    const Entry added{time, interval, kind, offset};
    const bool hasLast = last_.number >= 0;
    if (hasLast && EntryEqual(added, last_.entry))
        return false;

    // Entries that sort after the new one move up by one place, last first in the list.
    std::vector<Entry> movedUp;
    int64_t writeAt = static_cast<int64_t>(count_) * kEntrySize;
    const bool inserted = hasLast && EntryGreater(last_.entry, added);
    if (inserted) {
        int i = count_ - 1;
        for (; i >= 0; --i) {
            Entry existing;
            if (!ReadEntryDirect(i, existing))
                return false;
            if (EntryEqual(existing, added))
                return false;
            if (!EntryGreater(existing, added))
                break;
            movedUp.push_back(existing);
        }
        writeAt = static_cast<int64_t>(i + 1) * kEntrySize;
    }

    std::vector<unsigned char> bytes((movedUp.size() + 1) * kEntrySize);
    EncodeEntry(added, bytes.data());
    for (size_t k = 0; k < movedUp.size(); ++k)
        EncodeEntry(movedUp[movedUp.size() - 1 - k], bytes.data() + (k + 1) * kEntrySize);
    if (file_.Seek(writeAt, platform::File::Origin::Begin) < 0)
        return false;
    for (size_t k = 0; k < bytes.size(); k += kEntrySize) {
        if (file_.Write(bytes.data() + k, kEntrySize) != kEntrySize) {
            // Even a first short write of an insertion can have changed the entry it lands on;
            // one at the end leaves at most a partial entry, which Load does not count.
            if (overwritten != nullptr)
                *overwritten = inserted;
            return false;
        }
    }
    if (flush)
        file_.Flush();

    ++count_;
    if (!hasLast || EntryGreater(added, last_.entry))
        last_.entry = added;
    last_.number = count_ - 1;
    if (first_.number < 0 || KeyLess(added, first_.entry)) {
        first_.entry = added;
        first_.number = 0;
    }
    if (inserted)
        cache_.number = -1;
    return true;
}

bool XCStdIndexFile::WriteEntries(std::vector<Entry> entries)
{
    if (!file_.IsOpen() || readOnly_ || count_ != 0)
        return false;
    std::stable_sort(entries.begin(), entries.end(), KeyLess);
    entries.erase(std::unique(entries.begin(), entries.end(), EntryEqual), entries.end());
    // Encoded a block at a time, so the bytes never need a second copy of the whole index.
    constexpr size_t kBlockEntries = 4096;
    std::vector<unsigned char> block(kBlockEntries * kEntrySize);
    bool written = file_.Seek(0, platform::File::Origin::Begin) == 0;
    for (size_t first = 0; written && first < entries.size(); first += kBlockEntries) {
        const size_t count = std::min(kBlockEntries, entries.size() - first);
        for (size_t k = 0; k < count; ++k)
            EncodeEntry(entries[first + k], block.data() + k * kEntrySize);
        const int64_t size = static_cast<int64_t>(count * kEntrySize);
        written = file_.Write(block.data(), static_cast<uint64_t>(size)) == size;
    }
    // The bounds cover whatever reached the file, also after a failed write.
    return Load() && written;
}

bool XCStdIndexFile::RemoveEntry(uint32_t time, uint32_t interval, uint32_t kind)
{
    if (!file_.IsOpen() || readOnly_)
        return false;
    const Entry key{time, interval, kind, 0};
    int found = -1;
    for (int i = count_ - 1; i >= 0 && found < 0; --i) {
        Entry existing;
        if (!ReadEntryDirect(i, existing))
            return false;
        if (EntryEqual(existing, key))
            found = i;
        else if (!EntryGreater(existing, key))
            return false;
    }
    if (found < 0)
        return false;
    for (int i = found + 1; i < count_; ++i) {
        Entry moved;
        unsigned char bytes[kEntrySize];
        if (!ReadEntryDirect(i, moved))
            return false;
        EncodeEntry(moved, bytes);
        if (file_.Seek(static_cast<int64_t>(i - 1) * kEntrySize, platform::File::Origin::Begin) < 0 ||
            file_.Write(bytes, kEntrySize) != kEntrySize)
            return false;
    }
    return file_.Truncate(static_cast<int64_t>(count_ - 1) * kEntrySize) && Load();
}

bool XCStdIndexFile::SpanHoldsExactly(uint32_t from, uint32_t to, int first, int end)
{
    if (!file_.IsOpen() || file_.Seek(0, platform::File::Origin::Begin) != 0)
        return false;
    // Read a block at a time: an entry at a time costs a seek and a read per record.
    constexpr int kBlockEntries = 4096;
    std::vector<unsigned char> block(kBlockEntries * kEntrySize);
    for (int blockStart = 0; blockStart < count_; blockStart += kBlockEntries) {
        const int count = std::min(kBlockEntries, count_ - blockStart);
        const int64_t size = static_cast<int64_t>(count) * kEntrySize;
        if (file_.Read(block.data(), static_cast<uint64_t>(size)) != size)
            return false;
        for (int k = 0; k < count; ++k) {
            const uint32_t offset = record_bytes::ReadU32(block.data() + k * kEntrySize + 12);
            const int i = blockStart + k;
            if ((offset >= from && offset < to) != (i >= first && i < end))
                return false;
        }
    }
    return true;
}

void XCStdIndexFile::EntryTime(const IndexedEntry& source, int yearBase, XCTime& out)
{
    XCTime calendar;
    calendar.FromDouble(XCTime::Unpack(yearBase, source.entry.time));
    out.Set(calendar.GetYear(), calendar.GetMonth(), calendar.GetDay(), calendar.GetHour(), calendar.GetMinute(),
            calendar.GetSecond(), 0, static_cast<int32_t>(source.entry.interval));
}

const XCTime* XCStdIndexFile::GetFirstTime(int yearBase)
{
    firstTime_ = XCTime();
    if (first_.number >= 0)
        EntryTime(first_, yearBase, firstTime_);
    return &firstTime_;
}

const XCTime* XCStdIndexFile::GetLastTime(int yearBase)
{
    lastTime_ = XCTime();
    if (last_.number >= 0)
        EntryTime(last_, yearBase, lastTime_);
    return &lastTime_;
}
