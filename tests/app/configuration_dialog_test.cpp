#include "app/configuration_dialog.h"

#include "app/main_dialog.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "tests/app/app_test_folder.h"
#include "tests/support/modbus_frames.h"
#include "tests/support/simulated_recorder.h"

#include <chrono>
#include <thread>

using namespace platform::ui;
using testsupport::Bytes;

namespace {

Bytes WriteRequest(uint8_t start, const std::vector<uint16_t>& words)
{
    const auto count = static_cast<uint8_t>(words.size());
    Bytes frame = {1, 16, 0, start, 0, count, static_cast<uint8_t>(2 * count)};
    for (uint16_t word : words)
        frame.insert(frame.end(), {static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)});
    return testsupport::WithCrc(frame);
}

Bytes ClockWrite(const LocalDateTime& utc)
{
    const uint32_t packed = PackDateTime(static_cast<uint8_t>(utc.year - 2015), static_cast<uint8_t>(utc.month),
                                         static_cast<uint8_t>(utc.day), static_cast<uint8_t>(utc.hour),
                                         static_cast<uint8_t>(utc.minute), static_cast<uint8_t>(utc.second));
    return WriteRequest(16, {static_cast<uint16_t>(packed >> 16), static_cast<uint16_t>(packed)});
}

const Bytes kRead = testsupport::ReadRequest(3, 8, 11);
const std::vector<uint16_t> kFactoryParameters = {230, 50, 207, 253, 2, 6, 10, 0};
const LocalDateTime kSummerNoon{2024, 7, 15, 12, 34, 56};

class ConfigurationDialog : public AppTestFolder {
protected:
    void SetUp() override
    {
        AppTestFolder::SetUp();
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // UTC+1, in summer UTC+2
        tzset();
    }
    // The dialog on `port` against a recorder on COM3; the requests the recorder received.
    std::vector<Bytes> Run(const std::vector<std::string>& arguments, int result, int port = 3)
    {
        SimulatedRecorder recorder(arguments, ports_.LinkPath(3));
        EXPECT_TRUE(recorder.IsReady());
        recorder_ = &recorder;
        KestrovaneConfigurationDlg dialog(port);
        EXPECT_EQ(dialog.DoModal(), result);
        EXPECT_EQ(ui_.Failure(), "");
        return recorder.Requests();
    }
    std::u16string LastMessage() const { return ui_.MessageBoxes().empty() ? u"" : ui_.MessageBoxes().back().text; }

    SimulatedRecorder* recorder_ = nullptr;
};

}  // namespace

TEST_F(ConfigurationDialog, ChecksRefuseInTheirOrderAndSendNothing)
{
    struct Case {
        std::vector<std::pair<int, std::u16string>> entries;  // kept for the cases after it
        uint16_t text;
        int focus;
    };
    const Case cases[] = {
        {{{IDC_CONFIG_VOLTAGE, u"86"}}, kTextVoltageInvalid, IDC_CONFIG_VOLTAGE},
        {{{IDC_CONFIG_VOLTAGE, u"260"}}, kTextVoltageInvalid, IDC_CONFIG_VOLTAGE},
        {{{IDC_CONFIG_VOLTAGE, u""}}, kTextVoltageInvalid, IDC_CONFIG_VOLTAGE},
        {{{IDC_CONFIG_VOLTAGE, u"259"}, {IDC_CONFIG_HIGH, u"266"}}, kTextHighThresholdInvalid, IDC_CONFIG_HIGH},
        {{{IDC_CONFIG_HIGH, u"258"}}, kTextHighThresholdInvalid, IDC_CONFIG_HIGH},
        {{{IDC_CONFIG_HIGH, u"259"}, {IDC_CONFIG_LOW, u"84"}}, kTextLowThresholdInvalid, IDC_CONFIG_LOW},
        {{{IDC_CONFIG_LOW, u"260"}}, kTextLowThresholdInvalid, IDC_CONFIG_LOW},
        {{{IDC_CONFIG_LOW, u"259"}, {IDC_CONFIG_LOG_TIME, u"no digits"}}, kTextTimeBetweenLogsInvalid, IDC_CONFIG_LOG_TIME},
        {{{IDC_CONFIG_LOG_TIME, u"65536"}}, kTextTimeBetweenLogsInvalid, IDC_CONFIG_LOG_TIME},
        {{{IDC_CONFIG_LOG_TIME, u" 12 min"}, {IDC_CONFIG_DEVIATION, u"0"}}, kTextDeviationInvalid, IDC_CONFIG_DEVIATION},
        {{{IDC_CONFIG_DEVIATION, u"11"}}, kTextDeviationInvalid, IDC_CONFIG_DEVIATION},
    };
    // The recorder's frequency 55 selects nothing, and OK names it first.
    Screen opened;
    ui_.Call([&opened](Dialog& dialog) { opened = Screen::Of(dialog, IDC_CONFIG_FREQUENCY); });
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.Select(IDC_CONFIG_FREQUENCY, 0);
    std::vector<std::pair<int, bool>> focus;
    for (const Case& c : cases) {
        for (const auto& entry : c.entries)
            ui_.Paste(entry.first, entry.second);
        ui_.Click(IDOK);
        ui_.AnswerMessageBox(IDOK);
        ui_.Call([&](Dialog&) { focus.emplace_back(ui_.FocusedControl(), ui_.FocusSelectedAll()); });
    }
    for (const auto& entry : {std::pair<int, std::u16string>{IDC_CONFIG_VOLTAGE, u"240"}, {IDC_CONFIG_HIGH, u"250"},
                              {IDC_CONFIG_LOW, u"230"}, {IDC_CONFIG_DEVIATION, u"10"}})
        ui_.Paste(entry.first, entry.second);
    ui_.Click(IDOK);
    EXPECT_EQ(Run({"--set", "9=55"}, IDOK), (std::vector<Bytes>{kRead, WriteRequest(8, {240, 50, 230, 250, 10, 6, 12, 0})}));

    EXPECT_EQ(opened.selection, -1);
    EXPECT_EQ(opened.text[IDC_CONFIG_VOLTAGE] + opened.text[IDC_CONFIG_MAINS_FAILURE], u"23085");
    ASSERT_EQ(ui_.MessageBoxes().size(), std::size(cases) + 1);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, Text(kTextNoFrequency));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ui_.MessageBoxes()[i + 1].text, Text(cases[i].text)) << "case " << i;
        EXPECT_EQ(focus[i], std::make_pair(cases[i].focus, true)) << "case " << i;
    }
}

TEST_F(ConfigurationDialog, WritesOnlyWhatDiffers)
{
    // At once: nothing changed, as long as register 13 holds 6; else the parameters as read.
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.PressEscape();
    EXPECT_EQ(Run({}, IDCANCEL), std::vector<Bytes>{kRead});
    EXPECT_EQ(LastMessage(), Text(kTextNothingChanged));
    ui_.Click(IDOK);
    EXPECT_EQ(Run({"--set", "13=5"}, IDOK), (std::vector<Bytes>{kRead, WriteRequest(8, kFactoryParameters)}));
    // One parameter: all eight registers.
    std::vector<uint16_t> changed = kFactoryParameters;
    changed[0] = 231;
    ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
    ui_.Click(IDOK);
    EXPECT_EQ(Run({}, IDOK), (std::vector<Bytes>{kRead, WriteRequest(8, changed)}));
    // The time alone, in UTC; a local time before the clock's first year gives its first second.
    const std::pair<LocalDateTime, LocalDateTime> times[] = {{kSummerNoon, {2024, 7, 15, 10, 34, 56}},
                                                             {{2015, 1, 1, 0, 30, 0}, {2015, 1, 1, 0, 0, 0}}};
    for (const auto& [local, utc] : times) {
        ui_.SetDateTime(IDC_CONFIG_DATE, local);
        ui_.SetDateTime(IDC_CONFIG_TIME, local);
        ui_.Click(IDOK);
        EXPECT_EQ(Run({}, IDOK), (std::vector<Bytes>{kRead, ClockWrite(utc)}));
    }
    // The memory reset alone.
    ui_.Click(IDC_CONFIG_RESET_MEMORY);
    ui_.Click(IDOK);
    EXPECT_EQ(Run({}, IDOK), (std::vector<Bytes>{kRead, WriteRequest(18, {0})}));

    // The PC's time: the pickers go grey, and a clock of 2020 gets the current time.
    std::vector<bool> enabled;
    ui_.Click(IDC_CONFIG_SEND_PC_TIME);
    ui_.Call([&enabled](Dialog& dialog) {
        for (int id : {IDC_CONFIG_DATE_TIME_LABEL, IDC_CONFIG_DATE, IDC_CONFIG_TIME})
            enabled.push_back(dialog.GetDlgItem(id).IsWindowEnabled());
    });
    ui_.Click(IDOK);
    XCTime before, after;
    before.NowUtc();
    const std::vector<Bytes> requests = Run({"--clock", "14420000"}, IDOK);
    after.NowUtc();
    EXPECT_EQ(enabled, std::vector<bool>(3, false));
    ASSERT_EQ(requests.size(), 2u);
    const XCTime written = DecodeRecorderClock(ReplyDoubleRegister(requests[1].data() + 4, 0, 0));
    EXPECT_TRUE(!(written < before) && !(after < written)) << written.GetSeconds();
}

TEST_F(ConfigurationDialog, PcTimeIsNotWrittenToAClockThatShowsItsSecond)
{
    // The recorder's clock ticks from its start: start it a little after a second begins, and
    // press OK only while the pickers show the current second.
    bool sameSecond = false;
    for (int attempt = 0; attempt < 5 && !sameSecond; ++attempt) {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        std::this_thread::sleep_for(std::chrono::milliseconds(1100) - now % std::chrono::seconds(1));
        ui_.Click(IDC_CONFIG_SEND_PC_TIME);
        ui_.Call([&](Dialog& dialog) {
            const LocalDateTime date = dialog.GetDlgItem(IDC_CONFIG_DATE).GetDateTime();
            const LocalDateTime time = dialog.GetDlgItem(IDC_CONFIG_TIME).GetDateTime();
            XCTime shown, current;
            shown.Set(date.year, date.month, date.day, time.hour, time.minute, time.second, 0, 0);
            current.NowLocal();
            sameSecond = shown == current;
            if (sameSecond) {
                ui_.AnswerMessageBox(IDOK);
                static_cast<KestrovaneConfigurationDlg&>(dialog).OnBnClickedOk();
            }
            ui_.PressEscape();
        });
        EXPECT_EQ(Run({}, IDCANCEL), std::vector<Bytes>{kRead});
    }
    EXPECT_TRUE(sameSecond);
    EXPECT_EQ(LastMessage(), Text(kTextNothingChanged));
}

TEST_F(ConfigurationDialog, FailuresAreNamedAndNothingIsReportedDone)
{
    // No port, or a read that fails: a message, and the dialog ends with Cancel before it shows.
    ui_.AnswerMessageBox(IDOK);
    EXPECT_EQ(Run({}, IDCANCEL, -1), std::vector<Bytes>{});
    EXPECT_EQ(LastMessage(), Text(kTextPortNotOpened));
    ui_.AnswerMessageBox(IDOK);
    EXPECT_EQ(Run({"--fault", "no-reply@1"}, IDCANCEL), std::vector<Bytes>{kRead});
    EXPECT_EQ(LastMessage(), Text(kTextCommunicationError));
    // The clock write fails after the parameters went: the dialog stays, and OK sends both again.
    ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
    ui_.SetDateTime(IDC_CONFIG_DATE, kSummerNoon);
    ui_.SetDateTime(IDC_CONFIG_TIME, kSummerNoon);
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.Click(IDOK);
    std::vector<uint16_t> changed = kFactoryParameters;
    changed[0] = 231;
    const Bytes parameters = WriteRequest(8, changed), clock = ClockWrite({2024, 7, 15, 10, 34, 56});
    EXPECT_EQ(Run({"--fault", "exception:4@3"}, IDOK), (std::vector<Bytes>{kRead, parameters, clock, parameters, clock}));
    EXPECT_EQ(LastMessage(), Text(kTextCommunicationError));
    // The port gone at OK: the dialog stays.
    ui_.Click(IDC_CONFIG_RESET_MEMORY);
    ui_.Call([this](Dialog&) { recorder_->Stop(); });
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.PressEscape();
    EXPECT_EQ(Run({}, IDCANCEL), std::vector<Bytes>{kRead});
    EXPECT_EQ(LastMessage(), Text(kTextPortNotOpened));
}

TEST_F(ConfigurationDialog, ParametersButtonReadsTheRecorderAgainAfterOkOnly)
{
    SimulatedRecorder recorder({}, ports_.LinkPath(3));
    WriteFile("default.xcfg", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><config><port>3</port></config>");
    ui_.Click(IDC_PARAMETERS);
    ui_.PressEscape();
    ui_.Click(IDC_PARAMETERS);
    ui_.Click(IDC_CONFIG_RESET_MEMORY);
    ui_.Click(IDOK);
    ui_.CloseWindow();
    CKestrovaneDlg().DoModal();
    EXPECT_EQ(ui_.Failure(), "");
    const Bytes readOut = testsupport::ReadRequest(3, 0, 67);
    EXPECT_EQ(recorder.Requests(), (std::vector<Bytes>{readOut, kRead, kRead, WriteRequest(18, {0}), readOut}));
}
