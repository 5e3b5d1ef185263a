#include "platform/settings_store.h"

#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>
#include <unistd.h>

namespace platform {

namespace {

// The store's text form, one line each:
//   Orvastel settings 1
//   key <path>
//   value <name> <type> <data as hex, or "-" when empty>
//   end
// The closing line tells a whole store from a cut one.
// Paths and names escape bytes up to the space, '%' and DEL as %XX.
const char kHeader[] = "Orvastel settings 1";

struct StoredValue {
    uint32_t type = 0;
    std::vector<uint8_t> data;
};
using Key = std::map<std::string, StoredValue>;
using Store = std::map<std::string, Key>;

std::string Escape(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool Unescape(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

std::string HexBytes(const std::vector<uint8_t>& data)
{
    if (data.empty())
        return "-";
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (uint8_t b : data) {
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& data)
{
    data.clear();
    if (text == "-")
        return true;
    if (text.empty() || text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        data.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

bool ParseType(const std::string& text, uint32_t& type)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    type = static_cast<uint32_t>(std::stoul(text));
    return true;
}

// A damaged store reads as empty: `store` is left empty when any line is malformed.
void ParseStore(const std::string& text, Store& store)
{
    store.clear();
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader)
        return;
    Key* current = nullptr;
    Store parsed;
    while (std::getline(lines, line)) {
        if (line == "end") {
            if (lines.peek() == std::char_traits<char>::eof())
                store.swap(parsed);
            return;
        }
        std::istringstream fields(line);
        std::string kind, first, second, third, extra;
        fields >> kind >> first;
        if (kind == "key" && !first.empty() && !(fields >> extra)) {
            std::string path;
            if (!Unescape(first, path))
                return;
            current = &parsed[path];
        } else if (kind == "value" && current && (fields >> second >> third) && !(fields >> extra)) {
            std::string name;
            StoredValue value;
            if (!Unescape(first, name) || !ParseType(second, value.type) || !ParseHexBytes(third, value.data))
                return;
            (*current)[name] = value;
        } else {
            return;
        }
    }
}

std::string SerializeStore(const Store& store)
{
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [path, key] : store) {
        text += "key " + Escape(path) + "\n";
        for (const auto& [name, value] : key)
            text += "value " + Escape(name) + " " + std::to_string(value.type) + " " + HexBytes(value.data) + "\n";
    }
    return text + "end\n";
}

std::string ConfigHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.config";
    return "";
}

// False when a store exists but cannot be read: it reads as empty, and writing over it would
// lose what it holds. A damaged store reads as empty too, but is replaced by the next write.
bool ReadStore(Store& store)
{
    store.clear();
    const std::string path = SettingsStorePath();
    File file;
    if (path.empty())
        return true;
    if (!file.Open(path, File::Mode::ReadOnly))
        return errno == ENOENT || errno == ENOTDIR;
    std::string text;
    char buffer[4096];
    int64_t got;
    while ((got = file.Read(buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(got));
    if (got < 0)
        return false;
    ParseStore(text, store);
    return true;
}

bool WriteStore(const Store& store)
{
    const std::string home = ConfigHome();
    if (home.empty())
        return false;
    MakeDirectory(home);
    MakeDirectory(home + "/Orvastel");
    const std::string path = SettingsStorePath();
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    const std::string text = SerializeStore(store);
    File file;
    if (!file.Open(temporary, File::Mode::CreateReadWrite))
        return false;
    const bool written = file.Write(text.data(), text.size()) == static_cast<int64_t>(text.size()) && file.Flush();
    file.Close();
    if (!written || !RenameFile(temporary, path)) {
        RemoveFile(temporary);
        return false;
    }
    return true;
}

bool KeyPresent(const Store& store, const std::string& path)
{
    const auto it = store.lower_bound(path);
    if (it == store.end())
        return false;
    return it->first == path || it->first.compare(0, path.size() + 1, path + "\\") == 0;
}

}  // namespace

std::string SettingsStorePath()
{
    const std::string home = ConfigHome();
    return home.empty() ? "" : home + "/Orvastel/settings";
}

bool SettingsKey::Open(const std::string& path)
{
    Close();
    Store store;
    ReadStore(store);
    if (path.empty() || !KeyPresent(store, path))
        return false;
    path_ = path;
    open_ = true;
    return true;
}

bool SettingsKey::Create(const std::string& path)
{
    Close();
    if (path.empty())
        return false;
    Store store;
    if (!ReadStore(store))
        return false;
    if (!store.count(path)) {
        store[path];
        if (!WriteStore(store))
            return false;
    }
    path_ = path;
    open_ = true;
    return true;
}

void SettingsKey::Close()
{
    open_ = false;
    path_.clear();
}

bool SettingsKey::QueryValue(const std::string& name, SettingType& type, std::vector<uint8_t>& data) const
{
    if (!open_)
        return false;
    Store store;
    ReadStore(store);
    const auto key = store.find(path_);
    if (key == store.end())
        return false;
    const auto value = key->second.find(name);
    if (value == key->second.end())
        return false;
    type = static_cast<SettingType>(value->second.type);
    data = value->second.data;
    return true;
}

bool SettingsKey::QueryString(const std::string& name, size_t capacity, std::u16string& value) const
{
    SettingType type;
    std::vector<uint8_t> data;
    if (!QueryValue(name, type, data))
        return false;
    if (type != SettingType::String && type != SettingType::ExpandString)
        return false;
    if (data.size() < 2 || data.size() % 2 != 0 || data.size() > capacity * 2)
        return false;
    if (data[data.size() - 2] != 0 || data[data.size() - 1] != 0)
        return false;
    value.clear();
    for (size_t i = 0; i + 2 < data.size(); i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0)
            break;
        value += unit;
    }
    return true;
}

bool SettingsKey::QueryDword(const std::string& name, uint32_t& value) const
{
    SettingType type;
    std::vector<uint8_t> data;
    if (!QueryValue(name, type, data) || type != SettingType::Dword || data.size() != 4)
        return false;
    value = static_cast<uint32_t>(data[0]) | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24;
    return true;
}

bool SettingsKey::SetString(const std::string& name, const std::u16string& value, SettingType type)
{
    std::vector<uint8_t> data;
    for (char16_t unit : value) {
        data.push_back(static_cast<uint8_t>(unit & 0xFF));
        data.push_back(static_cast<uint8_t>(unit >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return SetValue(name, type, data);
}

bool SettingsKey::SetDword(const std::string& name, uint32_t value)
{
    return SetValue(name, SettingType::Dword,
                    {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                     static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

bool SettingsKey::SetValue(const std::string& name, SettingType type, const std::vector<uint8_t>& data)
{
    // The store's text form has no word for an empty name: such a line would damage the whole store.
    if (!open_ || name.empty())
        return false;
    Store store;
    if (!ReadStore(store))
        return false;
    store[path_][name] = StoredValue{static_cast<uint32_t>(type), data};
    return WriteStore(store);
}

}  // namespace platform
