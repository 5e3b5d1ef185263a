#pragma once
#include "platform/ui/backend.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

// Dialogs without windows, driven by a script, for tests. Construct one per test (it installs
// itself), queue the user's steps, then run the dialog:
//
//   platform::ui::HeadlessBackend ui;
//   ui.Type(1076, u"230");
//   ui.Click(platform::ui::IDOK);
//   ui.AnswerMessageBox(platform::ui::IDOK);  // the next message box must come now
//   EXPECT_EQ(dialog.DoModal(), platform::ui::IDOK);
//   EXPECT_EQ(ui.Failure(), "");
//
// Steps run in order, each in the innermost modal loop; a message box or folder browser takes
// the next step as its answer. Failures end every open run (DoModal returns -1) and are kept in
// Failure(): a message box or folder browser without its answer step, an answer step where the
// dialog waits for input, a step on a missing, disabled or hidden control or a hidden dialog
// (DeferShowing), a date outside a picker's range, and a modal loop whose
// script has run out and to which no message is posted within the post wait limit. Steps run
// before posts that have not arrived yet: a script that depends on a worker's post says so with
// WaitForPost.
// Timers run on a virtual clock that only AdvanceClock moves.
namespace platform::ui {

constexpr int kHeadlessRunFailed = -1;

class HeadlessBackend final : public Backend {
public:
    HeadlessBackend();
    ~HeadlessBackend() override;

    // Script steps.
    void Click(int id);                                  // an enabled, visible button or check box
    void Type(int id, const std::u16string& text);       // replaces an edit's text, as typed
    void Paste(int id, const std::u16string& text);      // replaces it without the digits-only filter
    void Select(int id, int index);                      // a list item, then CBN_SELCHANGE
    void SetDateTime(int id, const LocalDateTime& value);
    void PressEnter();
    void PressEscape();
    void CloseWindow();                                  // the close box
    void ChooseSystemMenuItem(unsigned commandId);
    void AnswerMessageBox(int answer);
    void ChooseFolder(const std::u16string& path);
    void CancelFolderBrowser();
    void AdvanceClock(unsigned milliseconds);            // fires the timers that fall due, in order
    void Call(std::function<void(Dialog&)> step);        // runs on the innermost dialog
    // Until a message posted from another thread has been handled since the previous step.
    void WaitForPost();
    // Until posted messages have ended the innermost dialog (a worker's close command).
    void WaitForEnd();

    struct ShownMessageBox {
        std::u16string caption;
        std::u16string text;
        unsigned type;
        int answer;
    };
    const std::vector<ShownMessageBox>& MessageBoxes() const { return messageBoxes_; }
    const std::vector<std::u16string>& FolderBrowserTitles() const { return folderTitles_; }
    const std::string& Failure() const { return failure_; }
    size_t StepsLeft() const { return script_.size(); }
    uint64_t Now() const { return now_; }
    // The control that has the focus in the innermost dialog (0: none) and whether its text was selected.
    int FocusedControl() const;
    bool FocusSelectedAll() const;
    // The last picture painted for an owner-drawn control, or null.
    const PixelBuffer* Picture(int control) const;
    void SetPostWaitLimit(std::chrono::milliseconds limit) { postWaitLimit_ = limit; }

    // Backend
    void RunModal(Dialog& dialog) override;
    void EndModal(Dialog& dialog) override;
    void ControlChanged(Dialog& dialog, ControlState& control) override;
    void TitleChanged(Dialog& dialog) override;
    void IconChanged(Dialog& dialog) override;
    void VisibilityChanged(Dialog& dialog) override;
    void Focus(Dialog& dialog, ControlState& control) override;
    void Invalidate(Dialog& dialog, ControlState& control) override;
    PixelSize ClientSize(Dialog& dialog, const ControlState& control) override;
    void SetTimer(Dialog& dialog, unsigned id, unsigned milliseconds) override;
    void KillTimer(Dialog& dialog, unsigned id) override;
    void QueuePost(const PostedMessage& message) override;
    int MessageBox(const std::u16string& caption, const std::u16string& text, unsigned type) override;
    bool BrowseForFolder(Dialog& owner, const std::u16string& title, std::u16string& path) override;
    Rgb GetSystemColour(SystemColour which) override;
    void ReportMisuse(const std::string& what) override;

private:
    enum class StepKind {
        Click, Type, Paste, Select, SetDateTime, Enter, Escape, Close, SystemMenu,
        Answer, ChooseFolder, CancelFolder, AdvanceClock, Call, WaitForPost, WaitForEnd,
    };
    struct Step {
        explicit Step(StepKind kind, int id = 0) : kind(kind), id(id) {}
        StepKind kind;
        int id = 0;
        int value = 0;
        std::u16string text;
        LocalDateTime dateTime;
        std::function<void(Dialog&)> call;
    };
    struct Timer {
        uint64_t window;
        unsigned id;
        unsigned period;
        uint64_t due;
    };
    struct Focused {
        int control = 0;
        bool selectedAll = false;
    };

    void Fail(const std::string& why);
    void RunStep(Dialog& dialog, const Step& step);
    ControlState* UsableControl(Dialog& dialog, int id, const char* step);
    void Advance(uint64_t target);
    bool DeliverOnePost();
    bool AwaitPost();

    std::deque<Step> script_;
    std::vector<Dialog*> running_;
    std::vector<ShownMessageBox> messageBoxes_;
    std::vector<std::u16string> folderTitles_;
    std::vector<Timer> timers_;
    std::map<uint64_t, Focused> focus_;
    std::map<int, PixelBuffer> pictures_;
    std::string failure_;
    uint64_t now_ = 0;
    bool postHandledSinceStep_ = false;
    std::chrono::milliseconds postWaitLimit_{5000};

    std::mutex postsMutex_;
    std::condition_variable postArrived_;
    std::deque<PostedMessage> posts_;
};

// Glyphs as filled boxes of fixed size, so tests can tell text pixels from background.
class BoxTextPainter final : public TextPainter {
public:
    static constexpr int kGlyphWidth = 6;
    static constexpr int kGlyphHeight = 8;
    TextExtent Measure(const std::u16string& text) const override;
    void Draw(PixelBuffer& buffer, int x, int y, const std::u16string& text, Rgb colour) const override;
};

}  // namespace platform::ui
