#include "app/kestrovane_app.h"
#include "platform/ui/wx/wx_application.h"

CKestrovaneApp theApp;

int main(int argc, char** argv)
{
    return platform::ui::RunWxApplication(argc, argv, [] {
        theApp.InitInstance();
        return 0;
    });
}
