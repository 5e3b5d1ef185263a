#include "platform/ui/headless_backend.h"

#include "platform/ui/text_conversion.h"

#include <algorithm>

namespace platform::ui {
namespace {

// The metrics of an 8-point dialog font at 96 dots per inch.
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;

bool IsButton(const ControlState& control)
{
    return control.layout.kind == ControlKind::PushButton || control.layout.kind == ControlKind::DefaultPushButton ||
           control.layout.kind == ControlKind::AutoCheckBox;
}

std::string Describe(Dialog& dialog)
{
    return "dialog " + std::to_string(dialog.Layout().id);
}

}  // namespace

HeadlessBackend::HeadlessBackend()
{
    InstallBackend(this);
}

HeadlessBackend::~HeadlessBackend()
{
    InstallBackend(nullptr);
}

void HeadlessBackend::Click(int id)
{
    script_.push_back(Step{StepKind::Click, id});
}

void HeadlessBackend::Type(int id, const std::u16string& text)
{
    Step step{StepKind::Type, id};
    step.text = text;
    script_.push_back(step);
}

void HeadlessBackend::Paste(int id, const std::u16string& text)
{
    Step step{StepKind::Paste, id};
    step.text = text;
    script_.push_back(step);
}

void HeadlessBackend::Select(int id, int index)
{
    Step step{StepKind::Select, id};
    step.value = index;
    script_.push_back(step);
}

void HeadlessBackend::SetDateTime(int id, const LocalDateTime& value)
{
    Step step{StepKind::SetDateTime, id};
    step.dateTime = value;
    script_.push_back(step);
}

void HeadlessBackend::PressEnter()
{
    script_.push_back(Step{StepKind::Enter});
}

void HeadlessBackend::PressEscape()
{
    script_.push_back(Step{StepKind::Escape});
}

void HeadlessBackend::CloseWindow()
{
    script_.push_back(Step{StepKind::Close});
}

void HeadlessBackend::ChooseSystemMenuItem(unsigned commandId)
{
    script_.push_back(Step{StepKind::SystemMenu, static_cast<int>(commandId)});
}

void HeadlessBackend::AnswerMessageBox(int answer)
{
    Step step{StepKind::Answer};
    step.value = answer;
    script_.push_back(step);
}

void HeadlessBackend::ChooseFolder(const std::u16string& path)
{
    Step step{StepKind::ChooseFolder};
    step.text = path;
    script_.push_back(step);
}

void HeadlessBackend::CancelFolderBrowser()
{
    script_.push_back(Step{StepKind::CancelFolder});
}

void HeadlessBackend::AdvanceClock(unsigned milliseconds)
{
    Step step{StepKind::AdvanceClock};
    step.value = static_cast<int>(milliseconds);
    script_.push_back(step);
}

void HeadlessBackend::WaitForPost()
{
    script_.push_back(Step{StepKind::WaitForPost});
}

void HeadlessBackend::WaitForEnd()
{
    script_.push_back(Step{StepKind::WaitForEnd});
}

void HeadlessBackend::Call(std::function<void(Dialog&)> call)
{
    Step step{StepKind::Call};
    step.call = std::move(call);
    script_.push_back(step);
}

int HeadlessBackend::FocusedControl() const
{
    if (running_.empty())
        return 0;
    auto found = focus_.find(DialogHost::Window(*running_.back()));
    return found == focus_.end() ? 0 : found->second.control;
}

bool HeadlessBackend::FocusSelectedAll() const
{
    if (running_.empty())
        return false;
    auto found = focus_.find(DialogHost::Window(*running_.back()));
    return found != focus_.end() && found->second.selectedAll;
}

const PixelBuffer* HeadlessBackend::Picture(int control) const
{
    auto found = pictures_.find(control);
    return found == pictures_.end() ? nullptr : &found->second;
}

void HeadlessBackend::Fail(const std::string& why)
{
    if (failure_.empty())
        failure_ = why;
}

void HeadlessBackend::RunModal(Dialog& dialog)
{
    if (!failure_.empty()) {
        DialogHost::Abandon(dialog, kHeadlessRunFailed);
        return;
    }
    running_.push_back(&dialog);
    DialogHost::Initialise(dialog);
    if (!DialogHost::Ended(dialog) && !DialogHost::ShowingDeferred(dialog))
        DialogHost::SetVisible(dialog, true);
    while (!DialogHost::Ended(dialog)) {
        if (!failure_.empty()) {
            DialogHost::Abandon(dialog, kHeadlessRunFailed);
            break;
        }
        if (DeliverOnePost())
            continue;
        if (!script_.empty()) {
            Step step = std::move(script_.front());
            script_.pop_front();
            const bool posted = postHandledSinceStep_;
            postHandledSinceStep_ = false;
            if (step.kind != StepKind::WaitForPost || !posted)
                RunStep(dialog, step);
            continue;
        }
        if (!AwaitPost())
            Fail("the script ran out while " + Describe(dialog) + " waited for input");
    }
    const uint64_t window = DialogHost::Window(dialog);
    DialogHost::Destroyed(dialog);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [window](const Timer& t) { return t.window == window; }),
                  timers_.end());
    focus_.erase(window);
    running_.pop_back();
}

ControlState* HeadlessBackend::UsableControl(Dialog& dialog, int id, const char* step)
{
    ControlState* control = DialogHost::FindControl(dialog, id);
    const std::string where = std::string(step) + " " + std::to_string(id) + " in " + Describe(dialog);
    if (!control)
        Fail(where + ": no such control");
    else if (!control->enabled)
        Fail(where + ": the control is disabled");
    else if (!control->visible || !dialog.IsWindowVisible())
        Fail(where + ": the control is not visible");
    else
        return control;
    return nullptr;
}

void HeadlessBackend::RunStep(Dialog& dialog, const Step& step)
{
    const bool needsWindow = step.kind == StepKind::Enter || step.kind == StepKind::Escape ||
                             step.kind == StepKind::Close || step.kind == StepKind::SystemMenu;
    if (needsWindow && !dialog.IsWindowVisible())
        return Fail("a key or the window's menu in " + Describe(dialog) + ", which is not visible");
    switch (step.kind) {
    case StepKind::Click:
        if (ControlState* control = UsableControl(dialog, step.id, "click")) {
            if (!IsButton(*control))
                return Fail("click " + std::to_string(step.id) + " in " + Describe(dialog) + ": not a button");
            if (control->layout.kind == ControlKind::AutoCheckBox)
                control->check = control->check == 1 ? 0 : 1;
            focus_[DialogHost::Window(dialog)] = Focused{step.id, false};
            DialogHost::Command(dialog, step.id, BN_CLICKED);
        }
        return;
    case StepKind::Type:
    case StepKind::Paste:
        if (ControlState* control = UsableControl(dialog, step.id, "type into")) {
            if (control->layout.kind != ControlKind::Edit)
                return Fail("type into " + std::to_string(step.id) + " in " + Describe(dialog) + ": not an edit");
            std::u16string text = step.text;
            if (step.kind == StepKind::Type && (control->layout.style & kStyleDigitsOnly))
                text.erase(std::remove_if(text.begin(), text.end(), [](char16_t c) { return c < u'0' || c > u'9'; }),
                           text.end());
            control->text = text;
            focus_[DialogHost::Window(dialog)] = Focused{step.id, false};
        }
        return;
    case StepKind::Select:
        if (ControlState* control = UsableControl(dialog, step.id, "select in")) {
            if (step.value < 0 || step.value >= static_cast<int>(control->items.size()))
                return Fail("select " + std::to_string(step.value) + " in " + std::to_string(step.id) + ": no such item");
            control->selection = step.value;
            focus_[DialogHost::Window(dialog)] = Focused{step.id, false};
            DialogHost::Command(dialog, step.id, CBN_SELCHANGE);
        }
        return;
    case StepKind::SetDateTime:
        if (ControlState* control = UsableControl(dialog, step.id, "set the date and time of")) {
            if (step.dateTime < control->earliest || control->latest < step.dateTime)
                return Fail("set the date and time of " + std::to_string(step.id) + ": outside the picker's range");
            control->dateTime = step.dateTime;
        }
        return;
    case StepKind::Enter:
        if (!DialogHost::PressEnter(dialog, FocusedControl()))
            Fail("Enter in " + Describe(dialog) + ": the default button is disabled");
        return;
    case StepKind::Escape:
    case StepKind::Close:
        if (!DialogHost::PressEscape(dialog))
            Fail("Esc in " + Describe(dialog) + ": the Cancel button is disabled");
        return;
    case StepKind::SystemMenu: {
        const auto& items = dialog.SystemMenuItems();
        const unsigned id = static_cast<unsigned>(step.id);
        if (std::none_of(items.begin(), items.end(), [id](const Dialog::MenuItem& i) { return i.commandId == id; }))
            return Fail("menu entry " + std::to_string(id) + " is not offered by " + Describe(dialog));
        DialogHost::SysCommand(dialog, id);
        return;
    }
    case StepKind::Answer:
        return Fail("a message box answer came while " + Describe(dialog) + " waited for input");
    case StepKind::ChooseFolder:
    case StepKind::CancelFolder:
        return Fail("a folder choice came while " + Describe(dialog) + " waited for input");
    case StepKind::AdvanceClock:
        return Advance(now_ + static_cast<uint64_t>(step.value));
    case StepKind::Call:
        return step.call(dialog);
    case StepKind::WaitForPost:
        if (!AwaitPost())
            return Fail("no message was posted to " + Describe(dialog) + " in time");
        DeliverOnePost();
        return;
    case StepKind::WaitForEnd:
        while (!DialogHost::Ended(dialog)) {
            if (!AwaitPost())
                return Fail("no message ended " + Describe(dialog) + " in time");
            DeliverOnePost();
        }
        return;
    }
}

void HeadlessBackend::Advance(uint64_t target)
{
    while (failure_.empty()) {
        auto next = std::min_element(timers_.begin(), timers_.end(),
                                     [](const Timer& a, const Timer& b) { return a.due < b.due; });
        if (next == timers_.end() || next->due > target)
            break;
        now_ = std::max(now_, next->due);
        next->due += std::max(next->period, 1u);
        const Timer fired = *next;
        if (Dialog* dialog = DialogHost::FindWindow(fired.window))
            DialogHost::Timer(*dialog, fired.id);
    }
    now_ = std::max(now_, target);
}

bool HeadlessBackend::DeliverOnePost()
{
    PostedMessage message;
    {
        std::lock_guard<std::mutex> lock(postsMutex_);
        if (posts_.empty())
            return false;
        message = posts_.front();
        posts_.pop_front();
    }
    postHandledSinceStep_ = true;
    DialogHost::Deliver(message);
    return true;
}

bool HeadlessBackend::AwaitPost()
{
    std::unique_lock<std::mutex> lock(postsMutex_);
    return postArrived_.wait_for(lock, postWaitLimit_, [this] { return !posts_.empty(); });
}

void HeadlessBackend::EndModal(Dialog&) {}

void HeadlessBackend::ControlChanged(Dialog&, ControlState&) {}

void HeadlessBackend::TitleChanged(Dialog&) {}

void HeadlessBackend::IconChanged(Dialog&) {}

void HeadlessBackend::VisibilityChanged(Dialog&) {}

void HeadlessBackend::Focus(Dialog& dialog, ControlState& control)
{
    focus_[DialogHost::Window(dialog)] = Focused{control.layout.id, control.layout.kind == ControlKind::Edit};
}

void HeadlessBackend::Invalidate(Dialog& dialog, ControlState& control)
{
    const PixelSize size = ClientSize(dialog, control);
    PixelBuffer picture(size.width, size.height);
    DialogHost::DrawItem(dialog, control.layout.id, picture, BoxTextPainter());
    pictures_[control.layout.id] = std::move(picture);
}

PixelSize HeadlessBackend::ClientSize(Dialog&, const ControlState& control)
{
    const int border = (control.layout.style & kStyleBorder) ? 2 : 0;  // one pixel each side
    return PixelSize{(control.layout.cx * kBaseUnitX + 2) / 4 - border, (control.layout.cy * kBaseUnitY + 4) / 8 - border};
}

void HeadlessBackend::SetTimer(Dialog& dialog, unsigned id, unsigned milliseconds)
{
    KillTimer(dialog, id);
    timers_.push_back(Timer{DialogHost::Window(dialog), id, milliseconds, now_ + milliseconds});
}

void HeadlessBackend::KillTimer(Dialog& dialog, unsigned id)
{
    const uint64_t window = DialogHost::Window(dialog);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](const Timer& t) { return t.window == window && t.id == id; }),
                  timers_.end());
}

void HeadlessBackend::QueuePost(const PostedMessage& message)
{
    {
        std::lock_guard<std::mutex> lock(postsMutex_);
        posts_.push_back(message);
    }
    postArrived_.notify_one();
}

int HeadlessBackend::MessageBox(const std::u16string& caption, const std::u16string& text, unsigned type)
{
    const int refusal = (type & 0x0F) == MB_YESNO ? IDNO : IDOK;
    ShownMessageBox shown{caption, text, type, refusal};
    if (failure_.empty()) {
        if (script_.empty() || script_.front().kind != StepKind::Answer) {
            Fail("unexpected message box: " + Utf8FromUtf16(text));
        } else {
            shown.answer = script_.front().value;
            script_.pop_front();
            const bool yesNo = (type & 0x0F) == MB_YESNO;
            const bool fits = yesNo ? shown.answer == IDYES || shown.answer == IDNO : shown.answer == IDOK;
            if (!fits) {
                Fail("message box \"" + Utf8FromUtf16(text) + "\" has no button " + std::to_string(shown.answer));
                shown.answer = refusal;
            }
        }
    }
    messageBoxes_.push_back(shown);
    return shown.answer;
}

bool HeadlessBackend::BrowseForFolder(Dialog&, const std::u16string& title, std::u16string& path)
{
    folderTitles_.push_back(title);
    if (!failure_.empty())
        return false;
    if (script_.empty() || (script_.front().kind != StepKind::ChooseFolder && script_.front().kind != StepKind::CancelFolder)) {
        Fail("unexpected folder browser: " + Utf8FromUtf16(title));
        return false;
    }
    const Step step = script_.front();
    script_.pop_front();
    if (step.kind == StepKind::CancelFolder)
        return false;
    path = step.text;
    return true;
}

Rgb HeadlessBackend::GetSystemColour(SystemColour which)
{
    return which == SystemColour::ButtonFace ? kPlainButtonFace : kPlainHighlight;
}

void HeadlessBackend::ReportMisuse(const std::string& what)
{
    Fail(what);
}

TextExtent BoxTextPainter::Measure(const std::u16string& text) const
{
    return TextExtent{static_cast<int>(text.size()) * kGlyphWidth, kGlyphHeight};
}

void BoxTextPainter::Draw(PixelBuffer& buffer, int x, int y, const std::u16string& text, Rgb colour) const
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u' ')
            continue;
        const int left = x + static_cast<int>(i) * kGlyphWidth;
        buffer.FillRect(left, y + 1, left + kGlyphWidth - 1, y + kGlyphHeight - 1, colour);
    }
}

}  // namespace platform::ui
