#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

namespace platform {

// printf-style formatting in the C locale whatever the process's locale, so that "%.2f"
// always writes a decimal point. On a formatting error the result is empty.
std::string FormatCLocale(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatCLocaleV(const char* format, va_list arguments);
// The same into `buffer` of `capacity` bytes, as snprintf: never written past, always
// terminated; returns the length the whole text needs (at least `capacity`: it was cut), or -1.
int FormatCLocaleInto(char* buffer, size_t capacity, const char* format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace platform
