#include "tests/support/temporary_folder.h"

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <vector>

std::string MakeTemporaryFolder(const std::string& prefix)
{
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    std::vector<char> path(pattern.begin(), pattern.end());
    path.push_back('\0');
    return mkdtemp(path.data()) ? std::string(path.data()) : std::string();
}

void RemoveTree(const std::string& path)
{
    if (path.empty()) return;
    auto removeEntry = [](const char* entry, const struct stat*, int, struct FTW*) {
        remove(entry);
        return 0;
    };
    nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}
