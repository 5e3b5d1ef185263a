#pragma once
#include <memory>
#include <string>
#include <vector>

// Icons as ICO files. An Icon holds the file's bytes once they pass a structural check, so a
// missing or damaged file is an empty Icon, and every back end decodes the same bytes.
namespace platform::ui {

class Icon {
public:
    Icon() = default;
    bool IsEmpty() const { return !data_; }
    const std::vector<unsigned char>& Bytes() const;
    // Where it came from: the file path, or "resource <id>". Tests tell icons apart by it.
    const std::string& Origin() const;

    // Empty unless `bytes` is a well-formed ICO file (header, directory, images inside the file).
    static Icon FromIcoBytes(std::vector<unsigned char> bytes, std::string origin);

private:
    struct Data {
        std::vector<unsigned char> bytes;
        std::string origin;
    };
    std::shared_ptr<const Data> data_;
};

// Loads an ICO file; empty Icon on any failure (also for an empty path).
Icon LoadIconFromFile(const std::string& utf8Path);

// The program's built-in icons: the app registers each resource id with the bytes of an ICO file.
void RegisterIconResource(int id, std::vector<unsigned char> icoFile);
Icon LoadIconResource(int id);  // empty when not registered

}  // namespace platform::ui
