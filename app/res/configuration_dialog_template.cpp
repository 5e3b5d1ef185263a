#include "app/res/configuration_dialog_template.h"

#include "app/resource_ids.h"
#include "platform/ui/ui_constants.h"

using namespace platform::ui;

namespace {

const uint32_t kNumberEdit = kStyleBorder | kStyleDigitsOnly;

}  // namespace

const DialogTemplate kConfigurationDialogTemplate = {
    IDD_CONFIGURATION, 290, 192, kDialogNone, u"Operating parameters",
    {
        {ControlKind::DefaultPushButton, IDOK, 17, 168, 125, 14, kStyleNone, u"OK"},
        {ControlKind::PushButton, IDCANCEL, 146, 168, 125, 14, kStyleNone, u"Cancel"},
        {ControlKind::GroupBox, IDC_CONFIG_GROUP, 8, 5, 275, 157, kStyleNone, u"Operating parameters"},
        {ControlKind::StaticLeft, IDC_CONFIG_VOLTAGE_LABEL, 16, 16, 119, 10, kStyleNone, u"Nominal voltage"},
        {ControlKind::StaticLeft, IDC_CONFIG_FREQUENCY_LABEL, 145, 16, 129, 10, kStyleNone, u"Frequency"},
        {ControlKind::DropDownList, IDC_CONFIG_FREQUENCY, 145, 25, 129, 12, kStyleNone, nullptr},
        {ControlKind::StaticLeft, IDC_CONFIG_HIGH_LABEL, 16, 41, 119, 10, kStyleNone, u"High voltage threshold"},
        {ControlKind::Edit, IDC_CONFIG_HIGH, 16, 50, 119, 12, kNumberEdit, nullptr},
        {ControlKind::StaticLeft, IDC_CONFIG_DEVIATION_LABEL, 145, 41, 129, 10, kStyleNone, u"Frequency deviation"},
        {ControlKind::Edit, IDC_CONFIG_DEVIATION, 145, 50, 129, 12, kNumberEdit, nullptr},
        {ControlKind::StaticLeft, IDC_CONFIG_LOW_LABEL, 16, 66, 119, 10, kStyleNone, u"Low voltage threshold"},
        {ControlKind::Edit, IDC_CONFIG_LOW, 16, 76, 119, 12, kNumberEdit, nullptr},
        {ControlKind::StaticLeft, IDC_CONFIG_MAINS_FAILURE_LABEL, 145, 66, 129, 10, kStyleNone, u"Mains failure"},
        {ControlKind::Edit, IDC_CONFIG_MAINS_FAILURE, 145, 76, 129, 12, kNumberEdit | kStyleDisabled, nullptr},
        {ControlKind::StaticLeft, IDC_CONFIG_LOG_TIME_LABEL, 16, 91, 119, 10, kStyleNone, u"Time between logs"},
        {ControlKind::Edit, IDC_CONFIG_LOG_TIME, 16, 101, 119, 12, kNumberEdit, nullptr},
        {ControlKind::AutoCheckBox, IDC_CONFIG_RESET_MEMORY, 145, 129, 129, 8, kStyleNone, u"Clear the memory"},
        {ControlKind::StaticLeft, IDC_CONFIG_DATE_TIME_LABEL, 16, 121, 68, 10, kStyleNone, u"Date and time"},
        {ControlKind::DatePicker, IDC_CONFIG_DATE, 16, 131, 60, 9, kStyleNone, nullptr},
        {ControlKind::TimePicker, IDC_CONFIG_TIME, 82, 131, 53, 9, kStyleNone, nullptr},
        {ControlKind::AutoCheckBox, IDC_CONFIG_SEND_PC_TIME, 16, 144, 116, 10, kStyleNone, u"Send the PC's time"},
        {ControlKind::Edit, IDC_CONFIG_VOLTAGE, 16, 25, 119, 12, kNumberEdit, nullptr},
    },
};
