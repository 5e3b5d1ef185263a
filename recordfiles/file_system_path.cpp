#include "recordfiles/file_system_path.h"

#include "foundation/text_encoding.h"
#include "foundation/xc_string.h"

std::string FileSystemPath(const char16_t* path)
{
    XCStringA utf8;
    WideToUtf8(utf8, XCStringW(path));
    return std::string(utf8.GetData(), static_cast<size_t>(utf8.GetLength()));
}
