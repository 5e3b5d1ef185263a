#include "app/download_lines.h"

#include "app/dialog_text.h"
#include "app/register_map.h"
#include "platform/c_locale_format.h"

#include <string>

using platform::FormatCLocaleInto;

namespace {

// Lines are formed in a buffer of this many bytes, terminator included.
const size_t kLineCapacity = 256;
const char kLineEnd[] = "\r\n";
const size_t kLineEndLength = sizeof kLineEnd - 1;
// The record file's sample variable.
const uint16_t kSampleVariable = 313;

// Text ids of the events, by mask bit 0 to 6.
const uint16_t kEventTexts[] = {64, 66, 69, 68, 71, 70, 67};

// The record's time in local time, as the line's first field and its comma; the length written.
int FormatTimeField(char* line, uint32_t packed)
{
    XCTime local;
    DecodeRecorderClock(packed).ToLocal(local);
    return FormatCLocaleInto(line, kLineCapacity, "%02d/%02d/%04d %02d:%02d:%02d,", local.GetDay(), local.GetMonth(),
                             local.GetYear(), local.GetHour(), local.GetMinute(), local.GetSecond());
}

bool WriteLine(platform::File& file, const char* line, size_t length)
{
    return file.Write(line, length) == static_cast<int64_t>(length);
}

}  // namespace

bool WriteLogRecord(platform::File& logs, XCStdFile& recordFile, uint32_t packed, uint16_t value)
{
    char line[kLineCapacity];
    const int timeLength = FormatTimeField(line, packed);
    const int length = FormatCLocaleInto(line + timeLength, kLineCapacity - static_cast<size_t>(timeLength),
                                         "%.2f%s", SampleValue(value), kLineEnd);
    if (!WriteLine(logs, line, static_cast<size_t>(timeLength + length)))
        return false;
    // Unopened, it has no variables: the answer is -1 and the sample goes nowhere else.
    recordFile.FindRecordVariable(kSampleVariable);
    return true;
}

bool WriteEventRecord(platform::File& events, uint32_t packed, uint16_t mask)
{
    int bit = 0;
    while (bit < 7 && !(mask & (1u << bit)))
        ++bit;
    if (bit == 7)
        return true;
    char line[kLineCapacity];
    size_t length = static_cast<size_t>(FormatTimeField(line, packed));
    // A long text is cut so that the line still ends in CR LF within the buffer; a unit whose low
    // byte is 0 ends it, as it would end the C string the line is.
    const std::u16string text = TableText(kEventTexts[bit]);
    for (size_t i = 0; i < text.size() && (text[i] & 0xFF) != 0 && length < kLineCapacity - 1 - kLineEndLength; ++i)
        line[length++] = static_cast<char>(text[i] & 0xFF);
    line[length++] = kLineEnd[0];
    line[length++] = kLineEnd[1];
    return WriteLine(events, line, length);
}
