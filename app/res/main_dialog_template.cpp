#include "app/res/main_dialog_template.h"

#include "app/resource_ids.h"

using namespace platform::ui;

namespace {

// Counter rows from top to bottom: each row's partial label id.
const int kRowLabels[] = {
    IDC_PARTIAL_LOGS_LABEL,         IDC_PARTIAL_EVENTS_LABEL,    IDC_PARTIAL_VOLTAGE_HIGH_LABEL,
    IDC_PARTIAL_VOLTAGE_LOW_LABEL,  IDC_PARTIAL_VOLTAGE_FAIL_LABEL, IDC_PARTIAL_FREQUENCY_LABEL,
    IDC_PARTIAL_VOLTAGE_ON_LABEL,   IDC_PARTIAL_TIME_LABEL,
};
const int kFirstRowY = 65;
const int kRowPitch = 18;

// Identity labels from left to right, each with its value (the next id) under it; each takes
// its column's width.
struct IdentityColumn {
    int label;
    int x, cx;
    const char16_t* text;
};
const IdentityColumn kIdentityColumns[] = {
    {IDC_SERIAL_LABEL, 15, 88, u"Serial number"},   {IDC_HARDWARE_LABEL, 105, 88, u"Hardware version"},
    {IDC_SOFTWARE_LABEL, 195, 88, u"Software version"}, {IDC_PRODUCT_LABEL, 285, 81, u"Product id"},
    {IDC_BATTERY_LABEL, 368, 80, u"Battery voltage"},
};

std::vector<ControlTemplate> MainControls()
{
    std::vector<ControlTemplate> controls = {
        {ControlKind::GroupBox, IDC_FACTORY_GROUP, 7, 7, 448, 36, kStyleNone, u"Factory parameters"},
        {ControlKind::GroupBox, IDC_PARTIAL_GROUP, 7, 48, 221, 165, kStyleNone, u"Partial counters"},
        {ControlKind::GroupBox, IDC_TOTAL_GROUP, 235, 48, 220, 165, kStyleNone, u"Total counters"},
    };
    for (const IdentityColumn& column : kIdentityColumns) {
        controls.push_back({ControlKind::StaticLeft, column.label, column.x, 17, column.cx, 8, kStyleNone, column.text});
        controls.push_back({ControlKind::StaticLeft, column.label + 1, column.x, 27, column.cx, 8, kStyleNone, u"-"});
    }
    int y = kFirstRowY;
    for (int label : kRowLabels) {
        const int total = label + kTotalLabelOffset;
        controls.push_back({ControlKind::StaticLeft, label, 14, y, 126, 8, kStyleNone, u"Counter"});
        controls.push_back({ControlKind::StaticRight, label + kCounterValueOffset, 147, y, 74, 8, kStyleNone, u"-"});
        controls.push_back({ControlKind::StaticLeft, total, 242, y, 126, 8, kStyleNone, u"Counter"});
        controls.push_back({ControlKind::StaticRight, total + kCounterValueOffset, 374, y, 74, 8, kStyleNone, u"-"});
        y += kRowPitch;
    }
    controls.insert(controls.end(), {
        {ControlKind::StaticLeft, IDC_PORT_LABEL, 185, 218, 100, 8, kStyleNone, u"Port"},
        {ControlKind::DropDownList, IDC_PORT, 184, 227, 96, 24, kStyleNone, nullptr},
        {ControlKind::StaticCentre, IDC_STATUS, 151, 241, 168, 8, kStyleNone, nullptr},
        {ControlKind::PushButton, IDC_PARAMETERS, 30, 218, 98, 31, kStyleNone, u"Parameters"},
        {ControlKind::PushButton, IDC_DOWNLOAD, 334, 218, 98, 31, kStyleNone, u"Download"},
    });
    return controls;
}

}  // namespace

const DialogTemplate kMainDialogTemplate = {
    IDD_KESTROVANE_DIALOG, 462, 256, kDialogMinimizeBox, u"Kestrovane", MainControls(),
};
