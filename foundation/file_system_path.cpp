#include "foundation/file_system_path.h"

#include "foundation/text_encoding.h"

std::string FileSystemPath(const XCStringW& path)
{
    XCStringA utf8;
    WideToUtf8(utf8, path);
    return std::string(utf8.GetData(), static_cast<size_t>(utf8.GetLength()));
}

std::string FileSystemPath(const char16_t* path) { return FileSystemPath(XCStringW(path)); }
