#include "app/configuration_dialog.h"

#include "app/text_ids.h"
#include "platform/calendar_clock.h"
#include "tests/app/app_test_folder.h"
#include "tests/support/modbus_frames.h"
#include "tests/support/simulated_recorder.h"

using namespace platform::ui;
using testsupport::Bytes;
using Requests = std::vector<Bytes>;

namespace {

Bytes WriteRequest(uint8_t start, const std::vector<uint16_t>& words)
{
    Bytes frame = {1, 16, 0, start, 0, static_cast<uint8_t>(words.size()), static_cast<uint8_t>(2 * words.size())};
    for (uint16_t word : words)
        frame.insert(frame.end(), {static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)});
    return testsupport::WithCrc(frame);
}

Bytes ClockWrite(uint32_t packed) { return WriteRequest(16, {static_cast<uint16_t>(packed >> 16), static_cast<uint16_t>(packed)}); }

const Bytes kRead = testsupport::ReadRequest(3, 8, 11);
// The simulator's parameters with a nominal voltage of 231 and a frequency of 60.
const Bytes kVoltage231 = WriteRequest(8, {231, 60, 207, 253, 2, 6, 10, 0});
const LocalDateTime kSummerNoon{2024, 7, 15, 12, 34, 56};

// The recorder's --clock argument for a packed clock value.
std::string ClockArgument(uint32_t packed)
{
    char hex[9];
    snprintf(hex, sizeof hex, "%08X", packed);
    return hex;
}

int64_t UnixTimeUtc(const LocalDateTime& utc)
{
    int64_t unixTime = 0;
    platform::UnixTimeFromUtc({utc.year, utc.month, utc.day, utc.hour, utc.minute, utc.second}, unixTime);
    return unixTime;
}

// The PC's clock, standing still where a test puts it.
int64_t pcClock = 0;
void StopPcClockAt(int64_t unixTime)
{
    pcClock = unixTime;
    platform::SystemClock() = [] { return pcClock; };
}

class ConfigurationDialog : public AppTestFolder {
protected:
    void TearDown() override
    {
        platform::SystemClock() = platform::RealSystemClock;
        AppTestFolder::TearDown();
    }
    // The dialog on `port`, without a configuration file, against a recorder on COM3; the requests
    // the recorder received.
    Requests Run(const std::vector<std::string>& arguments, int result, int port = 3)
    {
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);  // UTC+1, in summer UTC+2
        tzset();
        SimulatedRecorder recorder(arguments, ports_.LinkPath(3));
        EXPECT_EQ(KestrovaneConfigurationDlg(port).DoModal(), result);
        EXPECT_EQ(ui_.Failure(), "");
        return recorder.Requests();
    }
};

}  // namespace

TEST_F(ConfigurationDialog, ChecksRefuseInTheirOrderAndSendNothing)
{
    // Entries in order, each kept; OK after each one that a check refuses.
    const int V = IDC_CONFIG_VOLTAGE, H = IDC_CONFIG_HIGH, L = IDC_CONFIG_LOW, T = IDC_CONFIG_LOG_TIME;
    const std::tuple<int, const char16_t*, uint16_t> entries[] = {
        {V, u"86", kTextVoltageInvalid}, {V, u"260", kTextVoltageInvalid}, {V, u"259", 0},
        {H, u"266", kTextHighThresholdInvalid}, {H, u"258", kTextHighThresholdInvalid}, {H, u"259", 0},
        {L, u"84", kTextLowThresholdInvalid}, {L, u"260", kTextLowThresholdInvalid}, {L, u"259", 0},
        {T, u"no digits", kTextTimeBetweenLogsInvalid}, {T, u"65536", kTextTimeBetweenLogsInvalid}, {T, u" 12 min", 0},
        {IDC_CONFIG_DEVIATION, u"0", kTextDeviationInvalid}, {IDC_CONFIG_DEVIATION, u"11", kTextDeviationInvalid},
        {IDC_CONFIG_DEVIATION, u"10", 0}, {L, u"230", 0},
    };
    // The recorder's frequency 55 selects nothing, and OK names it first.
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.Call([this](Dialog&) { EXPECT_EQ(LastMessage(), Text(kTextNoFrequency)); });
    ui_.Select(IDC_CONFIG_FREQUENCY, 0);
    for (const auto& [id, text, refusal] : entries) {
        ui_.Paste(id, text);
        if (refusal == 0)
            continue;
        ui_.Click(IDOK);
        ui_.AnswerMessageBox(IDOK);
        ui_.Call([this, id = id, refusal = refusal](Dialog&) {
            EXPECT_EQ(LastMessage(), Text(refusal)) << id;
            EXPECT_TRUE(ui_.FocusedControl() == id && ui_.FocusSelectedAll()) << id;
        });
    }
    ui_.Click(IDOK);
    EXPECT_EQ(Run({"--set", "9=55"}, IDOK), (Requests{kRead, WriteRequest(8, {259, 50, 230, 259, 10, 6, 12, 0})}));
}

TEST_F(ConfigurationDialog, WritesOnlyWhatDiffersAndNamesEachFailure)
{
    // At once: nothing changed, as long as register 13 holds 6; else the parameters as read.
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.PressEscape();
    EXPECT_EQ(Run({}, IDCANCEL), Requests{kRead});
    EXPECT_EQ(LastMessage(), Text(kTextNothingChanged));
    ui_.Click(IDOK);
    EXPECT_EQ(Run({"--set", "13=5", "--set", "8=231", "--set", "9=60"}, IDOK), (Requests{kRead, kVoltage231}));
    // The time alone, in UTC; a local time before the clock's first year gives its first second.
    const std::pair<LocalDateTime, uint32_t> times[] = {{kSummerNoon, PackDateTime(9, 7, 15, 10, 34, 56)},
                                                        {{2015, 1, 1, 0, 30, 0}, PackDateTime(0, 1, 1, 0, 0, 0)}};
    for (const auto& [local, packed] : times) {
        for (int id : {IDC_CONFIG_DATE, IDC_CONFIG_TIME})
            ui_.SetDateTime(id, local);
        ui_.Click(IDOK);
        EXPECT_EQ(Run({}, IDOK), (Requests{kRead, ClockWrite(packed)}));
    }
    // The PC's time greys the pickers, and a clock of 2020 gets the current time.
    ui_.Click(IDC_CONFIG_SEND_PC_TIME);
    ui_.Call([](Dialog& dialog) { EXPECT_FALSE(dialog.GetDlgItem(IDC_CONFIG_DATE).IsWindowEnabled()); });
    ui_.Click(IDOK);
    const Requests requests = Run({"--clock", "14420000"}, IDOK);
    XCTime now;
    now.NowUtc();
    ASSERT_EQ(requests.size(), 2u);
    const XCTime written = DecodeRecorderClock(ReplyDoubleRegister(requests[1].data() + 4, 0, 0));
    EXPECT_LE(now.GetSeconds() - written.GetSeconds(), 30u);

    // No port: a message, and the dialog ends with Cancel before it shows (a failed read does the
    // same: the serial fault tests). A port gone by OK: the message, and the dialog stays.
    ui_.AnswerMessageBox(IDOK);
    EXPECT_EQ(Run({}, IDCANCEL, -1), Requests{});
    EXPECT_EQ(LastMessage(), Text(kTextPortNotOpened));
    ui_.Click(IDC_CONFIG_RESET_MEMORY);
    ui_.Call([this](Dialog&) { ASSERT_EQ(unlink(ports_.LinkPath(3).c_str()), 0); });
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.PressEscape();
    EXPECT_EQ(Run({}, IDCANCEL), Requests{kRead});
    EXPECT_EQ(LastMessage(), Text(kTextPortNotOpened));
    // The clock write fails after the parameters went: the dialog stays, and OK sends both again.
    ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
    for (int id : {IDC_CONFIG_DATE, IDC_CONFIG_TIME})
        ui_.SetDateTime(id, kSummerNoon);
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.Click(IDOK);
    const Bytes clock = ClockWrite(PackDateTime(9, 7, 15, 10, 34, 56));
    EXPECT_EQ(Run({"--fault", "exception:4@3", "--set", "9=60"}, IDOK),
              (Requests{kRead, kVoltage231, clock, kVoltage231, clock}));
    EXPECT_EQ(LastMessage(), Text(kTextCommunicationError));
}

TEST_F(ConfigurationDialog, TheClockIsWrittenInUtcAndOnlyWhenItChanges)
{
    // The PC's time, 02:30 local in both passes of the hour that repeats: each pass its own UTC time.
    for (int hour : {0, 1}) {
        StopPcClockAt(UnixTimeUtc({2026, 10, 25, hour, 30, 0}));
        ui_.Click(IDC_CONFIG_SEND_PC_TIME);
        ui_.Click(IDOK);
        EXPECT_EQ(Run({}, IDOK), (Requests{kRead, ClockWrite(PackDateTime(11, 10, 25, hour, 30, 0))}));
    }
    // A recorder that already shows the PC's second keeps its clock; a second later it is written.
    const std::string summer = ClockArgument(PackDateTime(9, 7, 15, 10, 34, 56));
    for (int later : {0, 1}) {
        ui_.Click(IDC_CONFIG_SEND_PC_TIME);
        ui_.Call([later](Dialog& dialog) {
            LocalDateTime shown = dialog.GetDlgItem(IDC_CONFIG_DATE).GetDateTime();
            const LocalDateTime time = dialog.GetDlgItem(IDC_CONFIG_TIME).GetDateTime();
            std::tie(shown.hour, shown.minute, shown.second) = std::tie(time.hour, time.minute, time.second);
            StopPcClockAt(UnixTimeUtc(shown) - 2 * 3600 + later);  // summer time
        });
        ui_.Click(IDOK);
        if (later == 0) {
            ui_.AnswerMessageBox(IDOK);
            ui_.PressEscape();
        }
        const Requests requests = Run({"--clock", summer}, later ? IDOK : IDCANCEL);
        ASSERT_EQ(requests.size(), 1u + later);
        EXPECT_EQ(requests.back()[3], later ? kClockRegister : kConfigurationFirstRegister);
    }
    EXPECT_EQ(LastMessage(), Text(kTextNothingChanged));

    // A clock beyond the date picker's range (2031-01-01 00:30 local): pickers left alone keep it,
    // and a new voltage goes alone.
    ui_.Click(IDOK);
    ui_.AnswerMessageBox(IDOK);
    ui_.Paste(IDC_CONFIG_VOLTAGE, u"231");
    ui_.Click(IDOK);
    EXPECT_EQ(Run({"--clock", ClockArgument(PackDateTime(15, 12, 31, 23, 30, 0)), "--set", "9=60"}, IDOK),
              (Requests{kRead, kVoltage231}));
    EXPECT_EQ(LastMessage(), Text(kTextNothingChanged));
}

TEST_F(ConfigurationDialog, ParametersButtonReadsTheRecorderAgainAfterOkOnly)
{
    // Escape, then the memory reset alone.
    StartRecorder({});
    ui_.Click(IDC_PARAMETERS);
    ui_.PressEscape();
    ui_.Click(IDC_PARAMETERS);
    ui_.Click(IDC_CONFIG_RESET_MEMORY);
    ui_.Click(IDOK);
    RunMainWindow();
    const Bytes readOut = testsupport::ReadRequest(3, 0, 67);
    EXPECT_EQ(recorder_->Requests(), (Requests{readOut, kRead, kRead, WriteRequest(18, {0}), readOut}));
}
