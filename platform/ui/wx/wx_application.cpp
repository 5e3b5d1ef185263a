#include "platform/ui/wx/wx_application.h"

#include "platform/ui/wx/wx_backend.h"

#include <wx/app.h>
#include <wx/image.h>

#include <clocale>
#include <memory>

namespace platform::ui {
namespace {

class Application : public wxApp {
public:
    explicit Application(std::function<int()> body) : body_(std::move(body)) {}

    bool OnInit() override
    {
        // Texts, dates and GTK's own dialogs follow the user's locale; numbers stay "250.00".
        for (int category : {LC_CTYPE, LC_TIME, LC_COLLATE, LC_MONETARY, LC_MESSAGES})
            std::setlocale(category, "");
        std::setlocale(LC_NUMERIC, "C");
        wxInitAllImageHandlers();
        backend_ = std::make_unique<WxBackend>();
        InstallBackend(backend_.get());
        return true;
    }

    int OnRun() override { return body_(); }

    int OnExit() override
    {
        InstallBackend(nullptr);
        backend_.reset();
        return wxApp::OnExit();
    }

private:
    std::function<int()> body_;
    std::unique_ptr<WxBackend> backend_;
};

}  // namespace

int RunWxApplication(int argc, char** argv, std::function<int()> body)
{
    wxApp::SetInstance(new Application(std::move(body)));
    return wxEntry(argc, argv);
}

}  // namespace platform::ui
