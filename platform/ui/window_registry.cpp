// The live windows of the process, the installed back end, and the thread-safe ways into them.
#include "platform/ui/backend.h"
#include "platform/ui/window_ref.h"

#include <algorithm>
#include <map>
#include <mutex>

namespace platform::ui {
namespace {

struct LiveWindow {
    Dialog* dialog;
    std::vector<int> controls;
};

struct Registry {
    std::mutex mutex;
    std::map<uint64_t, LiveWindow> windows;
    uint64_t lastWindow = 0;
    Backend* backend = nullptr;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

bool HasControl(const LiveWindow& window, int control)
{
    return control == 0 ||
           std::find(window.controls.begin(), window.controls.end(), control) != window.controls.end();
}

}  // namespace

void InstallBackend(Backend* backend)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.backend = backend;
}

Backend& CurrentBackend()
{
    return *TheRegistry().backend;
}

bool HasBackend()
{
    return TheRegistry().backend != nullptr;
}

bool IsWindow(WindowRef ref)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(ref.window);
    return found != registry.windows.end() && HasControl(found->second, ref.control);
}

bool Post(WindowRef ref, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(ref.window);
    if (found == registry.windows.end() || !HasControl(found->second, ref.control) || !registry.backend)
        return false;
    registry.backend->QueuePost(PostedMessage{ref, message, wParam, lParam});
    return true;
}

void DialogHost::Initialise(Dialog& dialog)
{
    Registry& registry = TheRegistry();
    {
        std::lock_guard<std::mutex> lock(registry.mutex);
        LiveWindow window{&dialog, {}};
        for (const ControlState& control : dialog.controls_)
            window.controls.push_back(control.layout.id);
        dialog.window_ = ++registry.lastWindow;
        registry.windows.emplace(dialog.window_, std::move(window));
    }
    dialog.OnInitDialog();
}

void DialogHost::Destroyed(Dialog& dialog)
{
    dialog.OnDestroy();
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    registry.windows.erase(dialog.window_);
    dialog.window_ = 0;
    dialog.visible_ = false;
}

void DialogHost::Abandon(Dialog& dialog, int result)
{
    dialog.ended_ = true;
    dialog.result_ = result;
}

Dialog* DialogHost::FindWindow(uint64_t window)
{
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.windows.find(window);
    return found == registry.windows.end() ? nullptr : found->second.dialog;
}

void DialogHost::Deliver(const PostedMessage& message)
{
    Dialog* dialog = FindWindow(message.target.window);
    if (!dialog)
        return;
    if (message.target.control == 0 && message.message == WM_COMMAND)
        dialog->OnCommand(static_cast<int>(message.wParam & 0xFFFF), static_cast<int>((message.wParam >> 16) & 0xFFFF));
    else
        dialog->OnMessage(message.target.control, message.message, message.wParam, message.lParam);
}

bool DialogHost::PressEnter(Dialog& dialog, int focusedControl)
{
    ControlState* focused = dialog.FindControl(focusedControl);
    if (focused && (focused->layout.kind == ControlKind::PushButton ||
                    focused->layout.kind == ControlKind::DefaultPushButton)) {
        if (!focused->enabled)
            return false;
        dialog.OnCommand(focused->layout.id, BN_CLICKED);
        return true;
    }
    auto isDefault = [](const ControlState& c) { return c.layout.kind == ControlKind::DefaultPushButton; };
    auto found = std::find_if(dialog.controls_.begin(), dialog.controls_.end(), isDefault);
    if (found == dialog.controls_.end()) {
        dialog.OnCommand(IDOK, BN_CLICKED);
        return true;
    }
    if (!found->enabled || !found->visible)
        return false;
    dialog.OnCommand(found->layout.id, BN_CLICKED);
    return true;
}

bool DialogHost::PressEscape(Dialog& dialog)
{
    ControlState* cancel = dialog.FindControl(IDCANCEL);
    if (cancel && !cancel->enabled)
        return false;
    dialog.OnCommand(IDCANCEL, BN_CLICKED);
    return true;
}

}  // namespace platform::ui
