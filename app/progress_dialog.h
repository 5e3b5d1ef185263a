#pragma once
#include "app/progress_bar.h"
#include "platform/ui/dialog.h"
#include "platform/ui/window_ref.h"

#include <atomic>
#include <string>

// The progress of a job running on another thread, with a cancel button. It stays hidden for its
// first 500 ms, so a short job never flashes a window; a cancel only raises a flag that the job
// polls, and the dialog ends when the job says it has finished.
class CDlgProgress : public platform::ui::Dialog {
public:
    explicit CDlgProgress(void* unused = nullptr);
    ~CDlgProgress() override;

    // User-interface thread, before DoModal. A null cancelling text shows the message again.
    void SetTexts(const char16_t* caption, const char16_t* message, const char16_t* cancelling,
                  const void* unused = nullptr);
    void SetButtonText(const char16_t* text);

    // The job's thread.
    void SetPos(int newPosition);
    // Marks the job finished and posts the command that ends the dialog; the job's last use of it.
    bool Finish();

    // Any thread: the bar and the label, null until the window exists.
    platform::ui::WindowRef BarWindow() const;
    platform::ui::WindowRef LabelWindow() const;

    // Shared with the job's thread without locks: single words, relaxed order.
    std::atomic<bool> cancelRequested{false};  // written by the user-interface thread
    std::atomic<bool> finished{false};         // written by the job, last (release order)
    std::atomic<bool> okPosted{false};         // written by the job
    std::atomic<bool> visible{false};          // written by the user-interface thread
    std::atomic<int> shownPosition{0};         // written by the job: last position posted to the bar
    std::atomic<int> position{0};              // written by the job
    std::atomic<int> range{0};                 // written by the job
    std::atomic<int> barWidth{0};              // written by the user-interface thread, in pixels

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(unsigned id) override;
    void OnMessage(int control, unsigned message, uintptr_t wParam, intptr_t lParam) override;
    void OnDrawItem(int control, platform::ui::PixelBuffer& picture, const platform::ui::TextPainter& text) override;
    void OnDestroy() override;

private:
    void RequestCancel();

    std::atomic<uint64_t> window_{0};  // the dialog's window once initialised, for BarWindow and LabelWindow
    XCProgressCtrl bar_;
    unsigned timerId_ = 0;
    std::u16string message_ = u"Wait please...";
    std::u16string caption_;
    std::u16string cancelling_;
    std::u16string buttonText_;
};
