#pragma once
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>

// Creates a new empty folder under $TMPDIR (or /tmp); returns its path, or "" on failure.
inline std::string MakeTemporaryFolder(const std::string& prefix)
{
    const char* base = getenv("TMPDIR");
    std::string path = std::string(base && *base ? base : "/tmp") + "/" + prefix + "XXXXXX";
    return mkdtemp(&path[0]) ? path : std::string();
}

// Removes a folder and everything in it; symbolic links are removed, never followed.
inline void RemoveTree(const std::string& path)
{
    if (path.empty()) return;
    auto removeEntry = [](const char* entry, const struct stat*, int, struct FTW*) {
        remove(entry);
        return 0;
    };
    nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
}
