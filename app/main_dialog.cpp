#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/configuration_dialog.h"
#include "app/decimal_text.h"
#include "app/dialog_icon.h"
#include "app/dialog_text.h"
#include "app/download_dialog.h"
#include "app/res/main_dialog_template.h"
#include "app/res/program_resources.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "devicelink/ascii_transaction.h"
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "platform/c_locale_format.h"
#include "platform/ui/message_box.h"
#include "platform/ui/ui_constants.h"

using platform::FormatCLocale;
using platform::ui::DialogItem;

namespace {

const char16_t kDefaultProductName[] = u"Kestrovane";
const char16_t kTitleSuffix[] = u" 1.5";
const uint32_t kReadTimeoutMs = 750;
const int kPortCount = 256;
const unsigned kBatteryWarningDelayMs = 1000;
const double kBatteryVeryLowVolts = 1.7;
const double kBatteryLowVolts = 2.2;

struct CounterRow {
    int partialLabel;
    RecorderCounter counter;
    uint16_t text;
};

// From top to bottom.
const CounterRow kCounterRows[] = {
    {IDC_PARTIAL_LOGS_LABEL, RecorderCounter::Logs, kTextLogs},
    {IDC_PARTIAL_EVENTS_LABEL, RecorderCounter::Events, kTextEvents},
    {IDC_PARTIAL_VOLTAGE_HIGH_LABEL, RecorderCounter::VoltageHigh, kTextVoltageHigh},
    {IDC_PARTIAL_VOLTAGE_LOW_LABEL, RecorderCounter::VoltageLow, kTextVoltageLow},
    {IDC_PARTIAL_VOLTAGE_FAIL_LABEL, RecorderCounter::VoltageFail, kTextVoltageFail},
    {IDC_PARTIAL_FREQUENCY_LABEL, RecorderCounter::Frequency, kTextFrequency},
    {IDC_PARTIAL_VOLTAGE_ON_LABEL, RecorderCounter::VoltageOn, kTextVoltageOn},
    {IDC_PARTIAL_TIME_LABEL, RecorderCounter::Time, kTextTime},
};

const int kIdentityValues[] = {IDC_SERIAL, IDC_HARDWARE, IDC_SOFTWARE, IDC_PRODUCT, IDC_BATTERY};

std::u16string VersionText(uint16_t version)
{
    return Widen(FormatCLocale("%d.%d", version >> 8, version & 0xFF));
}

bool ReadRecorder(XCRSDeviceConnection& connection, XCModBusTransaction& transaction)
{
    transaction.BuildReadRequest(kReadOutFirstRegister, kReadOutRegisterCount, 3);
    connection.Execute(transaction);
    return transaction.GetState() == XCTransactionState::Complete;
}

// The recorder's clock := the current UTC time.
bool WriteUtcClock(XCRSDeviceConnection& connection, XCModBusTransaction& transaction)
{
    XCTime now;
    now.NowUtc();
    uint8_t clockBytes[4];
    DoubleRegisterBytes(EncodeRecorderClock(now), clockBytes);
    transaction.BuildWriteRequest(kClockRegister, kClockRegisterCount, clockBytes);
    connection.Execute(transaction);
    return transaction.GetState() == XCTransactionState::Complete;
}

// Counters show as signed numbers, so that 2^31 and more show negative.
std::u16string CounterText(uint32_t value) { return Widen(FormatCLocale("%d", static_cast<int32_t>(value))); }

}  // namespace

CKestrovaneDlg::CKestrovaneDlg() : Dialog(kMainDialogTemplate)
{
    XCStringW iconFile;
    if (configuration_.LoadDefault()) {
        if (XmlElement* root = configuration_.GetRoot()) {
            port_ = ParseDecimal(root->GetText(u"port").GetData());
            productName_ = root->GetText(u"productName");
            if (productName_.GetLength() == 0) {
                productName_ = XCStringW(kDefaultProductName);
                root->SetChildText(u"productName", productName_);
            }
            iconFile = root->GetText(u"icono");
            if (iconFile.GetLength() == 0)
                root->SetDefaultIcon();
        }
    } else {
        configuration_.New();
        productName_ = XCStringW(kDefaultProductName);
        configuration_.GetRoot()->SetChildText(u"productName", productName_);
        configuration_.GetRoot()->SetDefaultIcon();
    }
    configuration_.Save();
    // A default icon written above takes effect at the next start.
    icon_ = LoadDialogIcon(iconFile);
}

CKestrovaneDlg::~CKestrovaneDlg() = default;

bool CKestrovaneDlg::OnInitDialog()
{
    Dialog::OnInitDialog();
    const std::u16string about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty())
        AppendSystemMenuItem(about, IDM_ABOUTBOX);
    SetIcon(icon_);

    GetDlgItem(IDC_FACTORY_GROUP).SetWindowText(TableText(kTextFactoryParameters));
    GetDlgItem(IDC_SERIAL_LABEL).SetWindowText(TableText(kTextSerialNumber));
    GetDlgItem(IDC_HARDWARE_LABEL).SetWindowText(TableText(kTextHardwareVersion));
    GetDlgItem(IDC_SOFTWARE_LABEL).SetWindowText(TableText(kTextSoftwareVersion));
    GetDlgItem(IDC_PRODUCT_LABEL).SetWindowText(TableText(kTextProductId));
    GetDlgItem(IDC_BATTERY_LABEL).SetWindowText(TableText(kTextBatteryVoltage));
    GetDlgItem(IDC_PARTIAL_GROUP).SetWindowText(TableText(kTextPartialCounters));
    GetDlgItem(IDC_TOTAL_GROUP).SetWindowText(TableText(kTextTotalCounters));
    for (const CounterRow& row : kCounterRows) {
        std::u16string label = TableText(row.text);
        if (row.counter == RecorderCounter::Time)
            label += u" (s)";
        GetDlgItem(row.partialLabel).SetWindowText(label);
        GetDlgItem(row.partialLabel + kTotalLabelOffset).SetWindowText(label);
    }
    GetDlgItem(IDC_PORT_LABEL).SetWindowText(TableText(kTextPort));
    GetDlgItem(IDC_PARAMETERS).SetWindowText(TableText(kTextParameters));
    GetDlgItem(IDC_DOWNLOAD).SetWindowText(TableText(kTextDownload));
    GetDlgItem(IDC_PARAMETERS).SetIcon(platform::ui::LoadIconResource(IDI_PARAMETERS));
    GetDlgItem(IDC_DOWNLOAD).SetIcon(platform::ui::LoadIconResource(IDI_DOWNLOAD));

    ClearDisplay();
    FillPortCombo();
    SetWindowText(ToU16(MakeTitle()));
    return true;
}

void CKestrovaneDlg::OnCommand(int id, int notification)
{
    if (id == IDC_PARAMETERS && notification == platform::ui::BN_CLICKED)
        OnBnClickedParameters();
    else if (id == IDC_DOWNLOAD && notification == platform::ui::BN_CLICKED)
        OnBnClickedDownload();
    else if (id == IDC_PORT && notification == platform::ui::CBN_SELCHANGE)
        OnCbnSelchangePort();
    else
        Dialog::OnCommand(id, notification);
}

void CKestrovaneDlg::ClearDisplay()
{
    for (int id : kIdentityValues)
        GetDlgItem(id).SetWindowText(u"-");
    for (const CounterRow& row : kCounterRows) {
        GetDlgItem(row.partialLabel + kCounterValueOffset).SetWindowText(u"-");
        GetDlgItem(row.partialLabel + kTotalLabelOffset + kCounterValueOffset).SetWindowText(u"-");
    }
}

void CKestrovaneDlg::FillPortCombo()
{
    DialogItem list = GetDlgItem(IDC_PORT);
    list.ResetContent();
    for (int n = 1; n <= kPortCount; ++n) {
        const int index = list.AddString(Widen(FormatCLocale("COM%d", n)));
        list.SetItemData(index, n);
        if (port_ == index + 1)
            list.SetCurSel(index);
    }
    if (port_ == -1)
        list.SetCurSel(-1);
    OnCbnSelchangePort();
}

void CKestrovaneDlg::OnCbnSelchangePort()
{
    DialogItem list = GetDlgItem(IDC_PORT);
    const int selection = list.GetCurSel();
    port_ = selection < 0 ? -1 : static_cast<int>(list.GetItemData(selection));
    if (XmlElement* root = configuration_.GetRoot()) {
        XmlElement* portElement = root->Find(u"port");
        if (!portElement)
            portElement = root->AddChild(u"port");
        portElement->SetText(port_);
        configuration_.Save();
    }

    XCRSDeviceConnection connection(port_);
    XCModBusTransaction transaction(kReadTimeoutMs);
    if (!connection.Open()) {
        ShowReadOutFailure(kTextPortNotOpened);
        return;
    }
    bool complete = ReadRecorder(connection, transaction);
    if (complete) {
        const XCTime clock =
            DecodeRecorderClock(ReplyDoubleRegister(transaction.GetBuffer(), kReadOutFirstRegister, kClockRegister));
        if (ConfirmFactoryDefaults(connection, clock))
            complete = WriteUtcClock(connection, transaction) && ReadRecorder(connection, transaction);
    }
    connection.Close();
    if (!complete) {
        ShowReadOutFailure(kTextCommunicationError);
        return;
    }

    const RecorderReadOut readOut = DecodeReadOut(transaction.GetBuffer());
    ShowReadOut(readOut);
    GetDlgItem(IDC_STATUS).SetWindowText(u"");
    GetDlgItem(IDC_PARAMETERS).EnableWindow(true);
    GetDlgItem(IDC_DOWNLOAD).EnableWindow(true);
    CheckBattery(BatteryVolts(readOut.battery));
}

void CKestrovaneDlg::ShowReadOutFailure(uint16_t textId)
{
    GetDlgItem(IDC_STATUS).SetWindowText(TableText(textId));
    ClearDisplay();
    GetDlgItem(IDC_PARAMETERS).EnableWindow(false);
    GetDlgItem(IDC_DOWNLOAD).EnableWindow(false);
}

void CKestrovaneDlg::ShowReadOut(const RecorderReadOut& readOut)
{
    GetDlgItem(IDC_SERIAL).SetWindowText(Widen(FormatCLocale("%u", readOut.serialNumber)));
    GetDlgItem(IDC_HARDWARE).SetWindowText(VersionText(readOut.hardwareVersion));
    GetDlgItem(IDC_SOFTWARE).SetWindowText(VersionText(readOut.softwareVersion));
    GetDlgItem(IDC_PRODUCT).SetWindowText(Widen(FormatCLocale("%d", readOut.productId)));
    GetDlgItem(IDC_BATTERY).SetWindowText(Widen(FormatCLocale("%.2f", BatteryVolts(readOut.battery))));
    for (const CounterRow& row : kCounterRows) {
        GetDlgItem(row.partialLabel + kCounterValueOffset).SetWindowText(CounterText(readOut.Partial(row.counter)));
        GetDlgItem(row.partialLabel + kTotalLabelOffset + kCounterValueOffset)
            .SetWindowText(CounterText(readOut.Total(row.counter)));
    }
}

void CKestrovaneDlg::CheckBattery(double volts)
{
    uint16_t warning;
    if (volts < kBatteryVeryLowVolts)
        warning = kTextBatteryVeryLow;
    else if (volts < kBatteryLowVolts)
        warning = kTextBatteryLow;
    else
        return;
    // The first read-out runs before the window appears: the warning waits until it has.
    if (!IsWindowVisible()) {
        timerId_ = SetTimer(warning, kBatteryWarningDelayMs);
        return;
    }
    platform::ui::MessageBox(TableText(warning), platform::ui::MB_OK);
}

void CKestrovaneDlg::OnTimer(unsigned id)
{
    KillTimer(timerId_);
    platform::ui::MessageBox(TableText(static_cast<uint16_t>(id)), platform::ui::MB_OK);
}

XCStringW CKestrovaneDlg::MakeTitle() const { return productName_ + XCStringW(kTitleSuffix); }

void CKestrovaneDlg::OnSysCommand(unsigned commandId)
{
    if ((commandId & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Dialog::OnSysCommand(commandId);
    }
}

void CKestrovaneDlg::OnBnClickedParameters()
{
    KestrovaneConfigurationDlg configuration(port_);
    if (configuration.DoModal() == platform::ui::IDOK)
        OnCbnSelchangePort();
}

void CKestrovaneDlg::OnBnClickedDownload()
{
    KestrovaneDownloadDlg download(port_);
    download.DoModal();
}

bool ConfirmFactoryDefaults(XCRSDeviceConnection& connection, const XCTime& clock)
{
    XCTime limit;
    limit.Set(2015, 6, 1, 0, 0, 0, 0, 0);
    if (!(clock < limit))
        return false;
    if (platform::ui::MessageBox(TableText(kTextRestoreFactorySettings),
                                 platform::ui::MB_YESNO | platform::ui::MB_ICONEXCLAMATION) != platform::ui::IDYES)
        return false;
    static const char kCommand[] = "#DEFAULT";
    XCAsciiTransaction command;
    command.SetRequest(reinterpret_cast<const uint8_t*>(kCommand), sizeof kCommand - 1);
    connection.Execute(command);
    return command.GetState() == XCTransactionState::Complete;
}
