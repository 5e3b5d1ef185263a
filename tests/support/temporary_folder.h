#pragma once
#include <string>

// Creates a new empty folder under $TMPDIR (or /tmp); returns its path, or "" on failure.
std::string MakeTemporaryFolder(const std::string& prefix);
// Removes a folder and everything in it; symbolic links are removed, never followed.
void RemoveTree(const std::string& path);
