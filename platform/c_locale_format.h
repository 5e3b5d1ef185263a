#pragma once
#include <cstdarg>
#include <string>

namespace platform {

// printf-style formatting in the C locale whatever the process's locale, so that "%.2f"
// always writes a decimal point. On a formatting error the result is empty.
std::string FormatCLocale(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCLocaleV(const char* format, va_list arguments);

}  // namespace platform
