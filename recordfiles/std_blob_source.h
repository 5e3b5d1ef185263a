#pragma once

// Supplies the blob that an STD file writes right behind each appended record.
class XCStdBlobSource {
public:
    virtual ~XCStdBlobSource() = default;
    // Size in bytes of the next blob.
    virtual int GetSize() = 0;
    // Fills `buffer` with `size` bytes; `scales` points at the file's unit scales 418 to 425.
    virtual bool Fill(unsigned char* buffer, int size, const double* scales) = 0;
};
