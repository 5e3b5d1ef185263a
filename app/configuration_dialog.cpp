#include "app/configuration_dialog.h"

#include "app/decimal_text.h"
#include "app/dialog_icon.h"
#include "app/dialog_text.h"
#include "app/ok_cancel_buttons.h"
#include "app/res/configuration_dialog_template.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "platform/c_locale_format.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"

using platform::FormatCLocale;
using platform::ui::DialogItem;
using platform::ui::LocalDateTime;

namespace {

const uint32_t kReadTimeoutMs = 750;
const uint32_t kWriteTimeoutMs = 3000;
const int32_t kLowestVoltage = 87;
const int32_t kHighestVoltage = 259;
const int32_t kHighestHighThreshold = 265;
const int32_t kLowestLowThreshold = 85;
const int32_t kLowestDeviation = 1;
const int32_t kHighestDeviation = 10;
// Its register holds 16 bits.
const int32_t kLongestTimeBetweenLogs = 65535;

// The years that the recorder's clock reads back.
const LocalDateTime kEarliestDate{kRecorderYearBase, 1, 1, 0, 0, 0};
const LocalDateTime kLatestDate{kRecorderYearBase + 15, 12, 31, 23, 59, 59};

const struct {
    int control;
    uint16_t text;
} kControlTexts[] = {
    {IDC_CONFIG_GROUP, kTextOperatingParameters},
    {IDC_CONFIG_VOLTAGE_LABEL, kTextNominalVoltage},
    {IDC_CONFIG_HIGH_LABEL, kTextHighThreshold},
    {IDC_CONFIG_LOW_LABEL, kTextLowThreshold},
    {IDC_CONFIG_LOG_TIME_LABEL, kTextTimeBetweenLogs},
    {IDC_CONFIG_FREQUENCY_LABEL, kTextNominalFrequency},
    {IDC_CONFIG_RESET_MEMORY, kTextResetMemory},
    {IDC_CONFIG_DEVIATION_LABEL, kTextFrequencyDeviation},
    {IDC_CONFIG_MAINS_FAILURE_LABEL, kTextMainsFailure},
    {IDC_CONFIG_DATE_TIME_LABEL, kTextDateAndTime},
    {IDC_CONFIG_SEND_PC_TIME, kTextSendPcTime},
};

const int kFrequencies[] = {50, 60};

std::u16string NumberText(uint32_t value) { return Widen(FormatCLocale("%u", value)); }

// Focus to the control, its whole text selected and the caret scrolled into view.
void FocusAndSelectAll(DialogItem control) { control.SetFocusAndSelectAll(); }

bool WriteRegisters(XCRSDeviceConnection& connection, XCModBusTransaction& transaction, uint32_t first,
                    uint32_t count, const uint8_t* bytes)
{
    transaction.BuildWriteRequest(first, count, bytes);
    connection.Execute(transaction);
    return transaction.GetState() == XCTransactionState::Complete;
}

}  // namespace

KestrovaneConfigurationDlg::KestrovaneConfigurationDlg(int port)
    : Dialog(kConfigurationDialogTemplate), icon_(LoadConfiguredDialogIcon()), port_(port)
{
}

bool KestrovaneConfigurationDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    SetIcon(icon_);
    SetWindowText(TableText(kTextOperatingParameters));
    LabelOkAndCancel(*this);
    for (const auto& control : kControlTexts)
        GetDlgItem(control.control).SetWindowText(TableText(control.text));

    DialogItem frequency = GetDlgItem(IDC_CONFIG_FREQUENCY);
    frequency.ResetContent();
    for (int value : kFrequencies)
        frequency.SetItemData(frequency.AddString(NumberText(value)), value);
    frequency.SetCurSel(-1);
    GetDlgItem(IDC_CONFIG_DATE).SetDateRange(kEarliestDate, kLatestDate);

    ReadConfiguration();
    return true;
}

void KestrovaneConfigurationDlg::OnCommand(int id, int notification)
{
    if (id == platform::ui::IDOK && notification == platform::ui::BN_CLICKED)
        OnBnClickedOk();
    else if (id == IDC_CONFIG_SEND_PC_TIME && notification == platform::ui::BN_CLICKED)
        OnBnClickedSendPcTime();
    else
        Dialog::OnCommand(id, notification);
}

void KestrovaneConfigurationDlg::ReadConfiguration()
{
    XCRSDeviceConnection connection(port_);
    XCModBusTransaction transaction(kReadTimeoutMs);
    if (!connection.Open()) {
        platform::ui::MessageBox(TableText(kTextPortNotOpened), platform::ui::MB_OK);
        EndDialog(platform::ui::IDCANCEL);
        return;
    }
    transaction.BuildReadRequest(kConfigurationFirstRegister, kConfigurationRegisterCount, 3);
    connection.Execute(transaction);
    connection.Close();
    if (transaction.GetState() != XCTransactionState::Complete) {
        platform::ui::MessageBox(TableText(kTextCommunicationError), platform::ui::MB_OK);
        EndDialog(platform::ui::IDCANCEL);
        return;
    }

    const uint8_t* reply = transaction.GetBuffer();
    read_ = DecodeParameters(reply);
    GetDlgItem(IDC_CONFIG_VOLTAGE).SetWindowText(NumberText(read_.nominalVoltage));
    DialogItem frequency = GetDlgItem(IDC_CONFIG_FREQUENCY);
    for (int i = 0; i < frequency.GetCount(); ++i)
        if (frequency.GetItemData(i) == read_.frequency)
            frequency.SetCurSel(i);
    GetDlgItem(IDC_CONFIG_LOW).SetWindowText(NumberText(read_.lowThreshold));
    GetDlgItem(IDC_CONFIG_HIGH).SetWindowText(NumberText(read_.highThreshold));
    GetDlgItem(IDC_CONFIG_DEVIATION).SetWindowText(NumberText(read_.frequencyDeviation));
    GetDlgItem(IDC_CONFIG_MAINS_FAILURE).SetWindowText(u"85");
    GetDlgItem(IDC_CONFIG_LOG_TIME).SetWindowText(NumberText(read_.timeBetweenLogs));
    GetDlgItem(IDC_CONFIG_RESET_MEMORY).SetCheck(0);

    readClock_ = DecodeRecorderClock(ReplyDoubleRegister(reply, kConfigurationFirstRegister, kClockRegister));
    // A clock that does not hold a date shows the PC's time, which OK then writes.
    XCTime shown;
    readClock_.ToLocal(shown);
    if (!shown.IsValid())
        shown.NowLocal();
    const LocalDateTime moment{shown.GetYear(), shown.GetMonth(), shown.GetDay(),
                               shown.GetHour(), shown.GetMinute(), shown.GetSecond()};
    GetDlgItem(IDC_CONFIG_DATE).SetDateTime(moment);
    GetDlgItem(IDC_CONFIG_TIME).SetDateTime(moment);
    shownClock_ = PickedDateTime();
}

void KestrovaneConfigurationDlg::OnBnClickedSendPcTime()
{
    const bool pickersEnabled = GetDlgItem(IDC_CONFIG_SEND_PC_TIME).GetCheck() != 1;
    for (int id : {IDC_CONFIG_DATE_TIME_LABEL, IDC_CONFIG_DATE, IDC_CONFIG_TIME})
        GetDlgItem(id).EnableWindow(pickersEnabled);
}

void KestrovaneConfigurationDlg::OnBnClickedOk()
{
    RecorderParameters entered;
    if (!CheckEntries(entered))
        return;
    const bool reset = GetDlgItem(IDC_CONFIG_RESET_MEMORY).GetCheck() == 1;
    const XCTime chosen = ChosenClock();
    const bool parametersChanged = !(entered == read_);
    const bool clockChanged = chosen != readClock_;
    if (!parametersChanged && !clockChanged && !reset) {
        platform::ui::MessageBox(TableText(kTextNothingChanged), platform::ui::MB_OK);
        return;
    }

    XCRSDeviceConnection connection(port_);
    XCModBusTransaction transaction(kWriteTimeoutMs);
    if (!connection.Open()) {
        platform::ui::MessageBox(TableText(kTextPortNotOpened), platform::ui::MB_OK);
        return;
    }
    bool complete = true;
    if (parametersChanged) {
        uint8_t bytes[2 * kParameterRegisterCount];
        ParameterRegisterBytes(entered, bytes);
        complete = WriteRegisters(connection, transaction, kConfigurationFirstRegister, kParameterRegisterCount, bytes);
    }
    if (complete && clockChanged) {
        uint8_t bytes[4];
        // Near the ends of the picker's range the UTC time can fall outside what the clock holds.
        DoubleRegisterBytes(EncodeRecorderClock(NearestRecorderClock(chosen)), bytes);
        complete = WriteRegisters(connection, transaction, kClockRegister, kClockRegisterCount, bytes);
    }
    if (complete && reset) {
        const uint8_t zero[2] = {0, 0};
        complete = WriteRegisters(connection, transaction, kMemoryResetRegister, 1, zero);
    }
    connection.Close();
    // What was written stays written; OK again sends everything that differs from the first read.
    if (!complete) {
        platform::ui::MessageBox(TableText(kTextCommunicationError), platform::ui::MB_OK);
        return;
    }
    EndDialog(platform::ui::IDOK);
}

bool KestrovaneConfigurationDlg::CheckEntries(RecorderParameters& entered)
{
    // An empty entry fails its check whatever its bounds.
    auto entry = [this](int id, int32_t& value) {
        const std::u16string text = GetDlgItem(id).GetWindowText();
        value = ParseDecimal(text.c_str());
        return !text.empty();
    };
    int32_t voltage, high, low, logTime, deviation;
    if (!entry(IDC_CONFIG_VOLTAGE, voltage) || voltage < kLowestVoltage || voltage > kHighestVoltage)
        return Refuse(kTextVoltageInvalid, IDC_CONFIG_VOLTAGE);
    DialogItem frequency = GetDlgItem(IDC_CONFIG_FREQUENCY);
    if (frequency.GetCurSel() < 0)
        return Refuse(kTextNoFrequency, 0);
    if (!entry(IDC_CONFIG_HIGH, high) || high > kHighestHighThreshold)
        return Refuse(kTextHighThresholdInvalid, IDC_CONFIG_HIGH);
    if (!entry(IDC_CONFIG_LOW, low) || low < kLowestLowThreshold)
        return Refuse(kTextLowThresholdInvalid, IDC_CONFIG_LOW);
    if (high < voltage)
        return Refuse(kTextHighThresholdInvalid, IDC_CONFIG_HIGH);
    if (low > voltage)
        return Refuse(kTextLowThresholdInvalid, IDC_CONFIG_LOW);
    if (!entry(IDC_CONFIG_LOG_TIME, logTime) || logTime < 1 || logTime > kLongestTimeBetweenLogs)
        return Refuse(kTextTimeBetweenLogsInvalid, IDC_CONFIG_LOG_TIME);
    if (!entry(IDC_CONFIG_DEVIATION, deviation) || deviation < kLowestDeviation || deviation > kHighestDeviation)
        return Refuse(kTextDeviationInvalid, IDC_CONFIG_DEVIATION);

    entered.nominalVoltage = static_cast<uint16_t>(voltage);
    entered.frequency = static_cast<uint16_t>(frequency.GetItemData(frequency.GetCurSel()));
    entered.lowThreshold = static_cast<uint16_t>(low);
    entered.highThreshold = static_cast<uint16_t>(high);
    entered.frequencyDeviation = static_cast<uint16_t>(deviation);
    entered.register13 = kRegister13Value;
    entered.timeBetweenLogs = static_cast<uint16_t>(logTime);
    return true;
}

bool KestrovaneConfigurationDlg::Refuse(uint16_t textId, int control)
{
    platform::ui::MessageBox(TableText(textId), platform::ui::MB_OK);
    if (control != 0)
        FocusAndSelectAll(GetDlgItem(control));
    return false;
}

// The date of the date picker and the time of the time picker.
LocalDateTime KestrovaneConfigurationDlg::PickedDateTime()
{
    const LocalDateTime date = GetDlgItem(IDC_CONFIG_DATE).GetDateTime();
    const LocalDateTime time = GetDlgItem(IDC_CONFIG_TIME).GetDateTime();
    return LocalDateTime{date.year, date.month, date.day, time.hour, time.minute, time.second};
}

// In UTC. A local time cannot tell the two passes of the hour that repeats apart, so the PC's
// time is taken as UTC, and pickers left as the read set them (perhaps held to their range)
// keep the clock as it was read.
XCTime KestrovaneConfigurationDlg::ChosenClock()
{
    XCTime chosen;
    if (GetDlgItem(IDC_CONFIG_SEND_PC_TIME).GetCheck() == 1) {
        chosen.NowUtc();
        return chosen;
    }
    const LocalDateTime picked = PickedDateTime();
    if (readClock_.IsValid() && picked == shownClock_)
        return readClock_;
    XCTime local;
    local.Set(picked.year, picked.month, picked.day, picked.hour, picked.minute, picked.second, 0, 0);
    local.ToUtc(chosen);
    return chosen;
}
