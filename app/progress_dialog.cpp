#include "app/progress_dialog.h"

#include "app/res/progress_dialog_template.h"
#include "app/resource_ids.h"
#include "platform/ui/icon.h"
#include "platform/ui/ui_constants.h"

#include <cmath>

using namespace platform::ui;

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;
constexpr unsigned kShowTimerId = 1600;
constexpr unsigned kShowDelayMs = 500;

}  // namespace

CDlgProgress::CDlgProgress(void*) : Dialog(kProgressDialogTemplate) {}

CDlgProgress::~CDlgProgress() = default;

void CDlgProgress::SetTexts(const char16_t* caption, const char16_t* message, const char16_t* cancelling,
                            const void*)
{
    if (caption)
        caption_ = caption;
    if (message)
        message_ = message;
    cancelling_ = cancelling ? cancelling : message_;
}

void CDlgProgress::SetButtonText(const char16_t* text)
{
    buttonText_ = text ? text : u"";
    if (HasWindow())
        GetDlgItem(IDCANCEL).SetWindowText(buttonText_);
}

void CDlgProgress::SetPos(int newPosition)
{
    const int steps = range.load(kRelaxed);
    if (steps != 0) {
        const double scale = static_cast<double>(barWidth.load(kRelaxed)) / steps;
        if (std::trunc(shownPosition.load(kRelaxed) * scale) == std::trunc(newPosition * scale)) {
            position.store(newPosition, kRelaxed);
            return;
        }
    }
    if (visible.load(kRelaxed))
        Post(BarWindow(), PBM_SETPOS, static_cast<uintptr_t>(newPosition), 0);
    shownPosition.store(newPosition, kRelaxed);
    position.store(newPosition, kRelaxed);
}

bool CDlgProgress::Finish()
{
    // Once the flags are set a cancel may end the dialog and its owner may destroy it, so nothing
    // of it is read after them; the release store lets that owner see all the job has written.
    const WindowRef dialog{window_.load(std::memory_order_acquire), 0};
    okPosted.store(true, kRelaxed);
    finished.store(true, std::memory_order_release);
    return Post(dialog, WM_COMMAND, MakeCommandParam(IDOK, BN_CLICKED), 0);
}

WindowRef CDlgProgress::BarWindow() const
{
    const uint64_t window = window_.load(std::memory_order_acquire);
    return window == 0 ? WindowRef{} : WindowRef{window, IDC_PROGRESS_BAR};
}

WindowRef CDlgProgress::LabelWindow() const
{
    const uint64_t window = window_.load(std::memory_order_acquire);
    return window == 0 ? WindowRef{} : WindowRef{window, IDC_PROGRESS_MESSAGE};
}

bool CDlgProgress::OnInitDialog()
{
    Dialog::OnInitDialog();
    DeferShowing();
    SetIcon(LoadIconResource(IDR_MAINFRAME));
    SetWindowText(caption_);
    GetDlgItem(IDC_PROGRESS_MESSAGE).SetWindowText(message_);
    DialogItem button = GetDlgItem(IDCANCEL);
    button.SetWindowText(buttonText_);
    button.SetIcon(LoadIconResource(IDI_CANCEL));
    bar_.SetRange(0, 1);
    bar_.SetPos(0);
    shownPosition.store(0, kRelaxed);
    position.store(0, kRelaxed);
    barWidth.store(GetDlgItem(IDC_PROGRESS_BAR).GetClientSize().width, kRelaxed);
    timerId_ = SetTimer(kShowTimerId, kShowDelayMs);
    // Published last: the job waits for these windows and then finds the fields above set.
    window_.store(GetWindowRef().window, std::memory_order_release);
    return true;
}

void CDlgProgress::OnOK()
{
    if (finished.load(std::memory_order_acquire) && okPosted.load(kRelaxed))
        Dialog::OnOK();
    else
        RequestCancel();
}

void CDlgProgress::OnCancel()
{
    RequestCancel();
}

// The job notices the flag after its current step and then ends the dialog itself.
void CDlgProgress::RequestCancel()
{
    cancelRequested.store(true, kRelaxed);
    GetDlgItem(IDCANCEL).EnableWindow(false);
    GetDlgItem(IDC_PROGRESS_MESSAGE).SetWindowText(cancelling_);
    if (finished.load(std::memory_order_acquire))
        Dialog::OnCancel();
}

void CDlgProgress::OnTimer(unsigned id)
{
    Dialog::OnTimer(id);
    if (timerId_ == 0 || id != timerId_)
        return;
    KillTimer(timerId_);
    timerId_ = 0;
    visible.store(true, kRelaxed);
    OnMessage(IDC_PROGRESS_BAR, PBM_SETPOS, static_cast<uintptr_t>(shownPosition.load(kRelaxed)), 0);
    ShowWindow(true);
}

void CDlgProgress::OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t lParam)
{
    if (control != IDC_PROGRESS_BAR)
        return;
    if (message == PBM_SETRANGE32)
        bar_.SetRange(static_cast<int>(wParam), static_cast<int>(lParam));
    else if (message == PBM_SETPOS)
        bar_.SetPos(static_cast<int>(wParam));
    else
        return;
    GetDlgItem(IDC_PROGRESS_BAR).Invalidate();
}

void CDlgProgress::OnDrawItem(int control, PixelBuffer& picture, const TextPainter& text)
{
    if (control == IDC_PROGRESS_BAR)
        bar_.OnPaint(picture, text);
}

void CDlgProgress::OnDestroy()
{
    window_.store(0, kRelaxed);
    if (timerId_ != 0) {
        KillTimer(timerId_);
        timerId_ = 0;
    }
    Dialog::OnDestroy();
}
