#include "foundation/path_utilities.h"

#include "foundation/file_system_path.h"
#include "foundation/text_encoding.h"
#include "platform/file.h"
#include "platform/program_folder.h"

#include <string>

namespace {

bool IsSeparator(char16_t unit) { return unit == u'/' || unit == u'\\'; }

}  // namespace

XCStringW GetModuleDirectory()
{
    const std::string program = platform::ExecutableFolder();
    XCStringW folder;
    Utf8ToWideN(folder, program.data(), static_cast<int32_t>(program.size()));
    return folder;
}

bool CreateDirectoriesForPath(const char16_t* path)
{
    // The directory part keeps its leading and trailing separators; Linux paths have no drive.
    int32_t directoryEnd = 0;
    for (int32_t k = 0; path[k] != 0; ++k) {
        if (IsSeparator(path[k]))
            directoryEnd = k + 1;
    }
    bool madeLast = false;
    int32_t restStart = 0;
    while (restStart < directoryEnd) {
        // Backslashes are looked for first, then forward slashes, afresh in each rest.
        int32_t separator = -1;
        for (const char16_t wanted : {u'\\', u'/'}) {
            for (int32_t k = restStart; k < directoryEnd && separator < 0; ++k) {
                if (path[k] == wanted)
                    separator = k;
            }
            if (separator >= 0)
                break;
        }
        XCStringW prefix;
        prefix.Assign(path, separator + 1);
        madeLast = platform::MakeDirectory(FileSystemPath(prefix));
        restStart = separator + 1;
    }
    return madeLast;
}
