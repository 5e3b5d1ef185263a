#include "platform/ui/icon.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

namespace platform::ui {
namespace {

uint32_t ReadLittle(const std::vector<unsigned char>& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | bytes[at + static_cast<size_t>(i)];
    return value;
}

// ICONDIR (6 bytes: reserved 0, type 1, count) and count ICONDIRENTRY of 16 bytes, each naming
// an image by its size (offset 8) and offset (offset 12) in the file.
bool IsIcoFile(const std::vector<unsigned char>& bytes)
{
    constexpr size_t kHeader = 6, kEntry = 16;
    if (bytes.size() < kHeader || ReadLittle(bytes, 0, 2) != 0 || ReadLittle(bytes, 2, 2) != 1)
        return false;
    const size_t count = ReadLittle(bytes, 4, 2);
    if (count == 0 || bytes.size() < kHeader + count * kEntry)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const size_t entry = kHeader + i * kEntry;
        const uint64_t size = ReadLittle(bytes, entry + 8, 4);
        const uint64_t offset = ReadLittle(bytes, entry + 12, 4);
        if (size == 0 || offset < kHeader + count * kEntry || offset + size > bytes.size())
            return false;
    }
    return true;
}

struct Resources {
    std::mutex mutex;
    std::map<int, Icon> icons;
};

Resources& TheResources()
{
    static Resources resources;
    return resources;
}

}  // namespace

const std::vector<unsigned char>& Icon::Bytes() const
{
    static const std::vector<unsigned char> none;
    return data_ ? data_->bytes : none;
}

const std::string& Icon::Origin() const
{
    static const std::string none;
    return data_ ? data_->origin : none;
}

Icon Icon::FromIcoBytes(std::vector<unsigned char> bytes, std::string origin)
{
    Icon icon;
    if (IsIcoFile(bytes))
        icon.data_ = std::make_shared<const Data>(Data{std::move(bytes), std::move(origin)});
    return icon;
}

Icon LoadIconFromFile(const std::string& utf8Path)
{
    // A device or pipe named as the icon would never end or never start: regular files only.
    std::error_code error;
    if (utf8Path.empty() || !std::filesystem::is_regular_file(utf8Path, error))
        return Icon();
    std::ifstream file(utf8Path, std::ios::binary);
    if (!file)
        return Icon();
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        return Icon();
    return Icon::FromIcoBytes(std::move(bytes), utf8Path);
}

void RegisterIconResource(int id, std::vector<unsigned char> icoFile)
{
    Resources& resources = TheResources();
    std::lock_guard<std::mutex> lock(resources.mutex);
    resources.icons[id] = Icon::FromIcoBytes(std::move(icoFile), "resource " + std::to_string(id));
}

Icon LoadIconResource(int id)
{
    Resources& resources = TheResources();
    std::lock_guard<std::mutex> lock(resources.mutex);
    auto found = resources.icons.find(id);
    return found == resources.icons.end() ? Icon() : found->second;
}

}  // namespace platform::ui
