#pragma once
#include "foundation/xc_string.h"
#include "foundation/xc_time.h"
#include "platform/file.h"

#include <cstdint>
#include <vector>

// The sorted index beside an STD data file: one 16-byte big-endian entry (time, interval,
// kind, offset) per indexed record, ordered by (time, interval, kind) without duplicates.
// Known to its data file's class as XCStdFile::XCStdIndexFile.
class XCStdIndexFile {
public:
    static constexpr int kEntrySize = 16;
    static constexpr uint32_t kNoOffset = 0xFFFFFFFF;

    struct Entry {
        uint32_t time = 0;
        uint32_t interval = 0;
        uint32_t kind = 0;
        uint32_t offset = 0;
    };

    struct IndexedEntry {
        int32_t number = -1;
        Entry entry;

        void DecodeEntry(const unsigned char bytes[kEntrySize]);
    };

    XCStdIndexFile();
    virtual ~XCStdIndexFile();
    XCStdIndexFile(const XCStdIndexFile&) = delete;
    XCStdIndexFile& operator=(const XCStdIndexFile&) = delete;

    // Creates or empties the index file of a data file, making its folders when needed.
    static bool CreateEmpty(const char16_t* dataFilePath);
    // Opens the existing index file of a data file and loads its bounds.
    bool Open(const char16_t* dataFilePath, bool readOnly);
    // Forgets the entries as well, so that a closed index counts none.
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    bool Load();

    int GetCount() const { return count_; }
    // Entry i's record offset (the entry is then in the cache), or kNoOffset.
    uint32_t ReadEntry(int i);
    // Entry number of the key (time, interval, kind 0), else of the entry nearest in time, or -1.
    int FindByKey(uint32_t time, uint32_t interval);
    // Inserts at the sorted place; refuses a key already present and a read-only index. A write
    // failing part way through an insertion sets `overwritten` (when given): entries moved up
    // may then be lost, and the index no longer fits its data file.
    bool AddEntry(uint32_t time, uint32_t interval, uint32_t kind, uint32_t offset, bool flush,
                  bool* overwritten = nullptr);

    // Fills an empty index in one pass with these entries in key order. Of entries with equal
    // keys the first given stays, as AddEntry of each in turn would keep it.
    bool WriteEntries(std::vector<Entry> entries);

    // Takes the entry with this key out again, moving the entries after it down.
    bool RemoveEntry(uint32_t time, uint32_t interval, uint32_t kind);

    // True when entries `first` to `end` - 1, and no other entry, have their offset in
    // [`from`, `to`); false also when the index cannot be read.
    bool SpanHoldsExactly(uint32_t from, uint32_t to, int first, int end);

    // The time of the first or last entry counted from `yearBase`, its interval as microseconds;
    // the invalid time when there is no entry.
    const XCTime* GetFirstTime(int yearBase);
    const XCTime* GetLastTime(int yearBase);

    static bool EntryGreater(const Entry& a, const Entry& b);
    static bool EntryEqual(const Entry& a, const Entry& b);
    static void EncodeEntry(const Entry& entry, unsigned char bytes[kEntrySize]);

private:
    bool ReadEntryDirect(int i, Entry& entry);
    static void EntryTime(const IndexedEntry& source, int yearBase, XCTime& out);

    XCStringW path_;
    IndexedEntry first_;
    IndexedEntry last_;
    IndexedEntry cache_;
    XCTime firstTime_;
    XCTime lastTime_;
    platform::File file_;
    int32_t count_ = 0;
    bool readOnly_ = false;
};
