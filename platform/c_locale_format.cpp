#include "platform/c_locale_format.h"

#include <clocale>
#include <cstdio>
#include <locale.h>
#include <vector>

namespace platform {

namespace {

// The C locale object lives for the whole process; newlocale of "C" cannot fail.
locale_t CLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Switches the calling thread to the C locale for the life of the object.
class ThreadLocaleScope {
public:
    ThreadLocaleScope() : previous_(uselocale(CLocale())) {}
    ~ThreadLocaleScope() { uselocale(previous_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    locale_t previous_;
};

}  // namespace

std::string FormatCLocaleV(const char* format, va_list arguments)
{
    ThreadLocaleScope scope;
    va_list measuring;
    va_copy(measuring, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0)
        return "";
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

std::string FormatCLocale(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatCLocaleV(format, arguments);
    va_end(arguments);
    return text;
}

int FormatCLocaleInto(char* buffer, size_t capacity, const char* format, ...)
{
    ThreadLocaleScope scope;
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(buffer, capacity, format, arguments);
    va_end(arguments);
    return length;
}

}  // namespace platform
