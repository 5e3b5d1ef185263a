#pragma once
#include "foundation/xc_string.h"
#include "foundation/xc_time.h"
#include "foundation/xc_value.h"
#include "platform/file.h"
#include "recordfiles/record_file.h"
#include "recordfiles/std_blob_source.h"
#include "recordfiles/std_index_file.h"
#include "recordfiles/std_unit_scales.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A self-describing record file: a header of variable codes and values, fixed-length records
// each closed by a check byte (optionally followed by a blob), and a sorted index file beside it.
class XCStdFile : public XCFile {
public:
    // Bits 12-15 the value type, bits 0-11 the variable id.
    using VariableCode = uint16_t;
    using XCStdIndexFile = ::XCStdIndexFile;

    class XCStdHeaderVariable {
    public:
        explicit XCStdHeaderVariable(VariableCode code) : code(code) {}
        virtual ~XCStdHeaderVariable() = default;
        // Decodes the value of `code` from `bytes`, which hold at least its size.
        virtual bool Read(const unsigned char* bytes);

        VariableCode code;
        XCValue value;
    };

    class XCStdRecordVariable {
    public:
        explicit XCStdRecordVariable(VariableCode code) : code(code) {}
        virtual ~XCStdRecordVariable() = default;

        VariableCode code;
        uint32_t offset = 0;
    };

    template <typename Variable>
    using VariableList = std::vector<std::unique_ptr<Variable>>;

    static constexpr uint16_t kTimeStampId = 313;
    static constexpr int kMinHeaderLength = 28;
    static constexpr int kMaxHeaderLength = 16384;

    XCStdFile() = default;
    ~XCStdFile() override;
    XCStdFile(const XCStdFile&) = delete;
    XCStdFile& operator=(const XCStdFile&) = delete;

    bool Open(const char16_t* path, bool readOnly) override;
    void Close() override;
    bool IsOpen() const override;
    const XCTime* GetFirstTime() override;
    const XCTime* GetLastTime() override;
    int32_t GetRecordCount() override;
    // Removes the records from the one placed for `from` up to, not including, the one placed for `to`.
    // Refused on a read-only file. After a failure part way the index is rebuilt to fit the data.
    bool DeleteRange(const XCTime& from, const XCTime& to) override;
    virtual bool ReadHeader(bool withIndex);

    bool OpenFile(const char16_t* path, bool readOnly);

    // The last byte of the block becomes its check byte; false for an unknown type.
    static bool WriteChecksum(int type, unsigned char* data, unsigned length);
    static bool VerifyChecksum(int type, const unsigned char* data, int length);
    // Inserts "i" after the last dot of the path, or appends it when there is no dot.
    static void MakeIndexFileName(const char16_t* path, XCStringW& out);

    // Value codec: field sizes, and the bytes of one field to and from a value.
    static int GetValueSize(VariableCode code, int count);
    static bool DecodeValue(VariableCode code, const unsigned char* bytes, XCValue& out, int count);
    static bool EncodeValue(VariableCode code, unsigned char* bytes, const XCValue& value, int count);
    // Record variable `index` of the current record, scaled into engineering units.
    void GetValue(int index, XCValue& out);
    // Stores an engineering value, unscaled, into record variable `index` of the current record.
    void SetValue(int index, const XCValue& value);

    // Position of the first record variable with this id (low 12 bits of its code), or -1.
    int FindRecordVariable(uint16_t id) const;
    // Writes the current record, its index entry and its blob; true without writing when nothing was set.
    bool AppendRecord();
    uint32_t GetSampleInterval();
    uint32_t GetRecordKind();

    bool RebuildIndex();
    // The index entry for a time: exact or nearest, 0 or -1 before the year base, -2 without time stamps.
    int FindRecordByTime(const XCTime& t);

    // The file takes ownership; the source supplies the blob written after each appended record.
    void SetBlobSource(std::unique_ptr<XCStdBlobSource> source) { blobSource_ = std::move(source); }

    const std::string& GetHeaderText1() const { return headerText1_; }
    const std::string& GetHeaderText2() const { return headerText2_; }
    int GetRecordLength() const { return recordLength_; }
    int GetYearBase() const { return yearBase_; }
    double GetUnitScale(uint16_t id) const { return unitScales_.Get(id); }
    const VariableList<XCStdHeaderVariable>& GetHeaderVariables() const { return headerVariables_; }
    const VariableList<XCStdRecordVariable>& GetRecordVariables() const { return recordVariables_; }

    template <typename Variable>
    static void ClearVariables(VariableList<Variable>& list) { list.clear(); }

private:
    bool ParseHeader(const std::vector<unsigned char>& header);
    void ApplyHeaderRole(const XCStdHeaderVariable& variable);
    bool LayOutRecord();
    bool IsVariable391Eleven() const;
    bool WriteBlob(int size);
    // The record's packed time stamp; false without a time-stamp variable that fits the record.
    bool ReadTimeStamp(const unsigned char* record, uint32_t& time) const;
    // The index entries of the records that pass their checksum, in file order; false when the
    // walk cannot read on, with the entries found so far.
    bool CollectIndexEntries(std::vector<XCStdIndexFile::Entry>& entries);

    std::unique_ptr<XCStdBlobSource> blobSource_;
    bool indexInUse_ = false;
    XCStringW path_;
    std::string headerText1_;
    std::string headerText2_;
    platform::File data_;
    int headerLength_ = 0;
    int recordLength_ = 0;
    int checksumType_ = 0;
    VariableList<XCStdHeaderVariable> headerVariables_;
    VariableList<XCStdRecordVariable> recordVariables_;
    std::vector<unsigned char> record_;
    bool readOnly_ = false;
    bool recordModified_ = false;
    XCStdIndexFile index_;
    XCStdUnitScales unitScales_;
    uint32_t elementCount_ = 0;
    int yearBase_ = 2000;
    int interval474Position_ = -1;
    int interval362Position_ = -1;
    int interval343Position_ = -1;
    int interval976Position_ = -1;
    int blobLengthPosition_ = -1;
    int blobFlag_ = 0;
};
