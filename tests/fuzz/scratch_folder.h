#pragma once
// The one folder in which a harness process writes its files, removed when the process ends.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

class ScratchFolder {
public:
    static const std::filesystem::path& Path()
    {
        static ScratchFolder folder;
        return folder.path_;
    }

    static std::filesystem::path File(const std::string& name) { return Path() / name; }

    static void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    static std::vector<uint8_t> Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void Remove(const std::filesystem::path& path)
    {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }

private:
    ScratchFolder()
        : path_(std::filesystem::temp_directory_path() / ("kestrovane-fuzz-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
};
