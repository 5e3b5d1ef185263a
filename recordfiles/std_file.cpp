#include "recordfiles/std_file.h"

#include "recordfiles/base_year.h"
#include "foundation/file_system_path.h"
#include "recordfiles/record_bytes.h"
#include "recordfiles/std_number_conversion.h"

namespace {

constexpr int kFixedHeaderBytes = 20;
constexpr uint16_t kBaseYearId = 300;
constexpr uint16_t kElementCountId = 426;
constexpr uint16_t kBlobFlagId = 489;
constexpr uint16_t kBlobLengthId = 896;

// Count fields hold bytes instead of codes, and unsigned 16-bit header codes read as signed.
bool IsByteCountVariant(const std::string& secondText)
{
    return secondText.compare(0, 2, "CA") == 0 || (secondText.size() >= 4 && secondText.compare(2, 2, "CL") == 0);
}

// Reads a code list at `position`, which must lie with all its codes inside the header.
bool ReadCodeList(const std::vector<unsigned char>& header, size_t& position, bool byteCounts,
                  std::vector<uint16_t>& codes)
{
    if (position + 2 > header.size())
        return false;
    const uint16_t field = record_bytes::ReadU16(header.data() + position);
    const size_t count = byteCounts ? field / 2 : field;
    position += 2;
    if (position + 2 * count > header.size())
        return false;
    for (size_t i = 0; i < count; ++i, position += 2)
        codes.push_back(record_bytes::ReadU16(header.data() + position));
    return true;
}

}  // namespace

bool XCStdFile::XCStdHeaderVariable::Read(const unsigned char* bytes)
{
    return DecodeValue(code, bytes, value, 0);
}

XCStdFile::~XCStdFile() { Close(); }

bool XCStdFile::Open(const char16_t* path, bool readOnly) { return OpenFile(path, readOnly); }

bool XCStdFile::OpenFile(const char16_t* path, bool readOnly)
{
    Close();
    readOnly_ = readOnly;
    const auto mode = readOnly ? platform::File::Mode::ReadOnly : platform::File::Mode::ReadWrite;
    if (path == nullptr || !data_.Open(FileSystemPath(path), mode))
        return false;
    path_.Assign(path, static_cast<int32_t>(std::char_traits<char16_t>::length(path)));
    if (!ReadHeader(true)) {
        Close();
        return false;
    }
    return true;
}

void XCStdFile::Close()
{
    // A data file left open by a failed header read is closed as well.
    if (!data_.IsOpen() && !index_.IsOpen())
        return;
    data_.Close();
    index_.Close();
    ClearVariables(headerVariables_);
    ClearVariables(recordVariables_);
    record_.clear();
    record_.shrink_to_fit();
    path_.Assign(u"", 0);
    headerText1_.clear();
    headerText2_.clear();
    indexInUse_ = false;
}

bool XCStdFile::WriteChecksum(int type, unsigned char* data, unsigned length)
{
    if ((type != 0 && type != 1) || length == 0)
        return false;
    unsigned char sum = 0;
    for (unsigned i = 0; i + 1 < length; ++i)
        sum = static_cast<unsigned char>(sum + data[i]);
    data[length - 1] = static_cast<unsigned char>(~sum);
    return true;
}

bool XCStdFile::VerifyChecksum(int type, const unsigned char* data, int length)
{
    if ((type != 0 && type != 1) || length <= 0)
        return false;
    unsigned char sum = 1;
    for (int i = 0; i < length; ++i)
        sum = static_cast<unsigned char>(sum + data[i]);
    return sum == 0;
}

void XCStdFile::MakeIndexFileName(const char16_t* path, XCStringW& out)
{
    const std::u16string whole = path == nullptr ? std::u16string() : std::u16string(path);
    const size_t dot = whole.rfind(u'.');
    const std::u16string name =
        dot == std::u16string::npos ? whole + u"i" : whole.substr(0, dot + 1) + u"i" + whole.substr(dot + 1);
    out.Assign(name.data(), static_cast<int32_t>(name.size()));
}

bool XCStdFile::ReadHeader(bool withIndex)
{
    blobLengthPosition_ = -1;
    blobFlag_ = 0;
    recordModified_ = false;

    unsigned char fixed[kFixedHeaderBytes];
    if (data_.Read(fixed, kFixedHeaderBytes) != kFixedHeaderBytes)
        return false;
    headerText1_ = record_bytes::TextField(fixed, 10);
    headerText2_ = record_bytes::TextField(fixed + 10, 6);
    checksumType_ = record_bytes::ReadU16(fixed + 16);
    if (checksumType_ > 2)
        return false;
    const int headerLength = record_bytes::ReadU16(fixed + 18);
    if (headerLength < kMinHeaderLength || headerLength > kMaxHeaderLength)
        return false;

    std::vector<unsigned char> header(static_cast<size_t>(headerLength));
    if (data_.Seek(0, platform::File::Origin::Begin) != 0 || data_.Read(header.data(), header.size()) != headerLength)
        return false;
    if (!VerifyChecksum(checksumType_, header.data(), headerLength))
        return false;
    headerLength_ = headerLength;
    recordLength_ = record_bytes::ReadU16(header.data() + 20);
    if (recordLength_ < 2)
        return false;
    if (!ParseHeader(header) || !LayOutRecord())
        return false;

    record_.assign(static_cast<size_t>(recordLength_), 0);
    interval474Position_ = FindRecordVariable(474);
    interval362Position_ = FindRecordVariable(362);
    interval343Position_ = FindRecordVariable(343);
    interval976Position_ = FindRecordVariable(976);

    if (withIndex && !index_.Open(path_.GetData(), readOnly_)) {
        indexInUse_ = RebuildIndex();
        // The walk leaves the last record read in the buffer; a new file starts from zeros.
        std::fill(record_.begin(), record_.end(), 0);
        if (!indexInUse_)
            return false;
    }
    return true;
}

// Creates the variables of both code lists and applies the header variables' roles; every
// list and value must lie inside the header.
bool XCStdFile::ParseHeader(const std::vector<unsigned char>& header)
{
    const bool byteCounts = IsByteCountVariant(headerText2_);
    size_t position = 22;
    std::vector<uint16_t> headerCodes;
    std::vector<uint16_t> recordCodes;
    if (!ReadCodeList(header, position, byteCounts, headerCodes) ||
        !ReadCodeList(header, position, byteCounts, recordCodes))
        return false;
    for (uint16_t code : headerCodes) {
        if (byteCounts && (code >> 12) == 5)
            code = static_cast<uint16_t>((code & 0xFFF) | 0x4000);
        headerVariables_.push_back(std::make_unique<XCStdHeaderVariable>(code));
    }
    for (uint16_t code : recordCodes)
        recordVariables_.push_back(std::make_unique<XCStdRecordVariable>(code));

    yearBase_ = 0;
    elementCount_ = 0;
    unitScales_.ResetToDefaults();
    for (const auto& variable : headerVariables_) {
        const size_t size = static_cast<size_t>(GetValueSize(variable->code, 0));
        if (position + size > header.size())
            return false;
        variable->Read(header.data() + position);
        position += size;
        ApplyHeaderRole(*variable);
    }
    if (yearBase_ < 1)
        yearBase_ = 1992;
    return true;
}

void XCStdFile::ApplyHeaderRole(const XCStdHeaderVariable& variable)
{
    const double v = variable.value.GetType() == XCValueType::Double ? variable.value.GetDouble() : 0.0;
    const uint16_t id = variable.code & 0xFFF;
    if (id == kBaseYearId)
        yearBase_ = BaseYearFromField(std_numbers::TruncateToInt32(v));
    else if (id == kElementCountId)
        elementCount_ = std_numbers::TruncateToUint32(v);
    else if (id == kBlobFlagId)
        blobFlag_ = std_numbers::TruncateToInt32(v);
    else
        unitScales_.Apply(id, v);
}

bool XCStdFile::LayOutRecord()
{
    int64_t offset = 0;
    for (size_t i = 0; i < recordVariables_.size(); ++i) {
        XCStdRecordVariable& variable = *recordVariables_[i];
        variable.offset = static_cast<uint32_t>(offset);
        offset += GetValueSize(variable.code, static_cast<int>(elementCount_));
        if (blobFlag_ != 0 && (variable.code & 0xFFF) == kBlobLengthId)
            blobLengthPosition_ = static_cast<int>(i);
        if (offset > recordLength_)
            return false;
    }
    return true;
}
