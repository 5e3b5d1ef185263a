#pragma once
#include <cstdint>

class XCTime;

// A data file of time-stamped, checksummed fixed-length records behind a header. Existing
// files only; every failure is reported by the result. Close on a closed file does nothing.
class XCFile {
public:
    virtual ~XCFile() = default;

    // Closes what was open first; on any failure the object ends closed.
    virtual bool Open(const char16_t* path, bool readOnly) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The stamps of the first and last valid records, in whole seconds; the pointers live
    // as long as the object.
    virtual const XCTime* GetFirstTime() = 0;
    virtual const XCTime* GetLastTime() = 0;
    virtual int32_t GetRecordCount() = 0;
    // Removes the records of the range, shortens the file and opens it again.
    virtual bool DeleteRange(const XCTime& from, const XCTime& to) = 0;
};
