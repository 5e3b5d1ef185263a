#pragma once
#include <string>

// Makes the built-in icons known to the dialog framework; call once before any dialog runs.
void RegisterProgramResources();

// A resource string by id; empty for an unknown id.
std::u16string LoadResourceString(int id);
