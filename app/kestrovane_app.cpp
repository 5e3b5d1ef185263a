#include "app/kestrovane_app.h"

#include "app/dialog_text.h"
#include "app/load_language.h"
#include "app/main_dialog.h"
#include "app/res/program_resources.h"
#include "app/text_ids.h"
#include "platform/program_folder.h"
#include "platform/single_instance.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"

namespace {

const char16_t kLanguageFailure[] = u"Unable to load specific language libraries. Program will exit.";
const char kInstanceName[] = "Kestrovane 1.0 Semaphore";

}  // namespace

bool CKestrovaneApp::InitInstance()
{
    RegisterProgramResources();
    // The configuration, language and icon files are found beside the program.
    platform::SetCurrentDirectory(platform::ExecutableFolder());

    if (!LoadLanguage()) {
        platform::ui::MessageBox(kLanguageFailure, platform::ui::MB_OK);
        return false;
    }
    // Held until the main window has closed, that is for the rest of the program's life.
    platform::SingleInstanceGuard instance;
    if (instance.Acquire(kInstanceName) == platform::SingleInstanceGuard::Outcome::HeldElsewhere) {
        platform::ui::MessageBox(TableText(kTextAnotherInstance), platform::ui::MB_OK);
        return false;
    }
    CKestrovaneDlg dialog;
    dialog.DoModal();
    return false;
}
