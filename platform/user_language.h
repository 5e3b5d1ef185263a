#pragma once
#include <cstdint>

namespace platform {

// The user's default language as a Windows language id (primary language in bits 0-9,
// sublanguage "default" above), from the first set of LC_ALL, LC_MESSAGES and LANG.
// The C and POSIX locales count as English; an unknown language gives 0 (neutral).
uint16_t UserDefaultLangId();

}  // namespace platform
