#pragma once
#include <string>

// Moving values between a dialog's members and its controls, in DoDataExchange.
namespace platform::ui {

class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog_(dialog), saving_(saveAndValidate) {}
    Dialog& GetDialog() const { return dialog_; }
    bool IsSaving() const { return saving_; }  // true: controls to members
    bool Failed() const { return failed_; }
    void Fail() { failed_ = true; }

private:
    Dialog& dialog_;
    bool saving_;
    bool failed_ = false;
};

void DDX_Text(DataExchange& dx, int id, std::u16string& value);
// Saving reads the text as a signed decimal number; a text that is not one fails the exchange.
void DDX_Text(DataExchange& dx, int id, int& value);
void DDX_Check(DataExchange& dx, int id, int& state);
void DDX_CBIndex(DataExchange& dx, int id, int& index);

}  // namespace platform::ui
