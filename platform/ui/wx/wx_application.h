#pragma once
#include <functional>

// The program's entry on real windows: starts wxWidgets (GTK), installs the windowed back end,
// runs `body` (which runs the program's dialogs modally) and returns its result.
// Numbers keep the C locale's format; dates and times follow the user's locale.
namespace platform::ui {

int RunWxApplication(int argc, char** argv, std::function<int()> body);

}  // namespace platform::ui
