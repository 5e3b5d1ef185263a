#pragma once
#include <string>

// Application-wide modal services.
namespace platform::ui {

class Dialog;

// Shows `text` with the buttons and icon of `type` (MB_OK, or MB_YESNO | MB_ICONEXCLAMATION);
// the caption is ApplicationName(). Returns IDOK, IDYES or IDNO.
int MessageBox(const std::u16string& text, unsigned type);

// The executable's file name without its extension.
std::u16string ApplicationName();

// The platform's folder chooser above `owner`. On a choice, `path` := the folder, without a
// trailing separator unless it is the root, and true; on cancel false and `path` unchanged.
bool BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path);

}  // namespace platform::ui
