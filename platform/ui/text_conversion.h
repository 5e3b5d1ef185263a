#pragma once
#include <string>

// UTF-8 and UTF-16 for the platform's own texts (file names, captions). Ill-formed input
// becomes U+FFFD.
namespace platform::ui {

std::u16string Utf16FromUtf8(const std::string& text);
std::string Utf8FromUtf16(const std::u16string& text);

}  // namespace platform::ui
