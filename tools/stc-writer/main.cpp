// Writes a language string-table file from a UTF-8 text source.
//
// Source: one text a line, "id<TAB>text"; empty lines and lines starting with '#' are skipped.
// In a text, \n, \r, \t and \\ stand for a line break, a carriage return, a tab and a backslash.
// Output: big-endian u16 count, the index of (u16 id, u32 offset, u16 length) sorted by id,
// CRC-16/MODBUS over count and index stored low byte first, then the texts.
#include "foundation/modbus_crc16.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

bool Fail(const std::string& where, const std::string& why)
{
    std::cerr << where << ": " << why << '\n';
    return false;
}

bool Unescape(const std::string& raw, std::string& text)
{
    text.clear();
    for (size_t k = 0; k < raw.size(); ++k) {
        if (raw[k] != '\\') {
            text += raw[k];
            continue;
        }
        if (++k == raw.size())
            return false;
        switch (raw[k]) {
        case 'n': text += '\n'; break;
        case 'r': text += '\r'; break;
        case 't': text += '\t'; break;
        case '\\': text += '\\'; break;
        default: return false;
        }
    }
    return true;
}

// Well-formed UTF-8 without NUL: the reader would cut a text at a zero byte.
bool IsWellFormedUtf8(const std::string& text)
{
    for (size_t k = 0; k < text.size();) {
        const auto b = static_cast<unsigned char>(text[k]);
        size_t follow = 0;
        if (b == 0 || (b >= 0x80 && b < 0xC2) || b > 0xF4)
            return false;
        if (b >= 0xF0)
            follow = 3;
        else if (b >= 0xE0)
            follow = 2;
        else if (b >= 0xC2)
            follow = 1;
        uint32_t value = follow == 0 ? b : b & (0x3Fu >> follow);
        if (k + follow >= text.size())
            return false;
        for (size_t f = 1; f <= follow; ++f) {
            const auto c = static_cast<unsigned char>(text[k + f]);
            if ((c & 0xC0) != 0x80)
                return false;
            value = value << 6 | (c & 0x3Fu);
        }
        const bool overlong = (follow == 2 && value < 0x800) || (follow == 3 && value < 0x10000);
        if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        k += follow + 1;
    }
    return true;
}

bool ReadSource(const char* path, std::map<uint16_t, std::string>& texts)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Fail(path, "cannot be read");
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string where = std::string(path) + ":" + std::to_string(number);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        const size_t tab = line.find('\t');
        const std::string id = line.substr(0, tab);
        if (tab == std::string::npos || id.empty() || id.size() > 5 ||
            id.find_first_not_of("0123456789") != std::string::npos || std::stoul(id) > 0xFFFF)
            return Fail(where, "expected an id from 0 to 65535, a tab and the text");
        std::string text;
        if (!Unescape(line.substr(tab + 1), text))
            return Fail(where, "unknown escape; use \\n, \\r, \\t or \\\\");
        if (!IsWellFormedUtf8(text))
            return Fail(where, "the text is not well-formed UTF-8 or holds a NUL");
        if (text.size() > 0xFFFF)
            return Fail(where, "the text is longer than 65535 bytes");
        if (!texts.emplace(static_cast<uint16_t>(std::stoul(id)), text).second)
            return Fail(where, "id " + id + " appears twice");
    }
    if (in.bad())
        return Fail(path, "read error");
    return true;
}

void PutBigEndian(std::string& out, uint32_t value, int bytes)
{
    for (int k = bytes - 1; k >= 0; --k)
        out += static_cast<char>(value >> (8 * k));
}

bool Build(const std::map<uint16_t, std::string>& texts, std::string& file)
{
    const uint32_t count = static_cast<uint32_t>(texts.size());
    if (count > 0xFFFF)
        return Fail("source", "more than 65535 texts");
    uint64_t offset = 2 + 8ull * count + 2;
    std::string index;
    std::string body;
    PutBigEndian(index, count, 2);
    for (const auto& [id, text] : texts) {
        // Offsets are read back as signed 32-bit file positions.
        if (offset + text.size() > 0x7FFFFFFF)
            return Fail("source", "the texts do not fit in 2 GiB");
        PutBigEndian(index, id, 2);
        PutBigEndian(index, static_cast<uint32_t>(offset), 4);
        PutBigEndian(index, static_cast<uint32_t>(text.size()), 2);
        body += text;
        offset += text.size();
    }
    const uint16_t crc = ModbusCrc16(reinterpret_cast<const uint8_t*>(index.data()),
                                     static_cast<uint32_t>(index.size()));
    file = index;
    PutBigEndian(file, crc, 2);
    file += body;
    return true;
}

bool WriteWhole(const char* path, const std::string& bytes)
{
    const std::string temporary = std::string(path) + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            return Fail(path, "cannot be written");
        }
    }
    if (std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        return Fail(path, "cannot be replaced");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: stc-writer SOURCE.txt OUTPUT.stc\n";
        return 2;
    }
    std::map<uint16_t, std::string> texts;
    std::string file;
    if (!ReadSource(argv[1], texts) || !Build(texts, file) || !WriteWhole(argv[2], file))
        return 1;
    return 0;
}
