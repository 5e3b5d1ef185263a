#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Value types, numbered as the Windows registry numbers them.
enum class SettingType : uint32_t {
    String = 1,        // REG_SZ: UTF-16LE units with their terminating zero
    ExpandString = 2,  // REG_EXPAND_SZ
    Binary = 3,        // REG_BINARY
    Dword = 4,         // REG_DWORD: 4 bytes, little-endian
};

// One key of the current user's settings store, which stands in for the registry.
// The whole store is one file; every change rewrites it through a temporary file and a
// rename, so a reader never sees half a store. A store that cannot be read or parsed reads
// as holding no keys at all. Key paths use backslashes: "Software\\Orvastel\\Kestrovane".
class SettingsKey {
public:
    // Opens an existing key; false when neither it nor a key below it is stored.
    bool Open(const std::string& path);
    // Opens the key, storing it first when absent; false when the store cannot be written.
    bool Create(const std::string& path);
    bool IsOpen() const { return open_; }
    void Close();

    // Reads a string value as into a buffer of `capacity` UTF-16 units, terminator included:
    // only a String or ExpandString value whose data fit and end in a zero unit is read.
    bool QueryString(const std::string& name, size_t capacity, std::u16string& value) const;
    bool QueryDword(const std::string& name, uint32_t& value) const;

    // Stores the text with its terminating zero unit.
    bool SetString(const std::string& name, const std::u16string& value,
                   SettingType type = SettingType::String);
    bool SetDword(const std::string& name, uint32_t value);
    // Stores data of any type exactly as given. A value needs a name: an empty one is refused.
    bool SetValue(const std::string& name, SettingType type, const std::vector<uint8_t>& data);

private:
    bool QueryValue(const std::string& name, SettingType& type, std::vector<uint8_t>& data) const;

    std::string path_;
    bool open_ = false;
};

// The store's file: ${XDG_CONFIG_HOME:-$HOME/.config}/Orvastel/settings; empty when neither
// variable names an absolute folder.
std::string SettingsStorePath();

}  // namespace platform
