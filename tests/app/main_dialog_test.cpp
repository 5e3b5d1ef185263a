#include "app/main_dialog.h"

#include "app/about_dialog.h"
#include "app/text_ids.h"
#include "devicelink/rs_device_connection.h"
#include "tests/app/app_test_folder.h"
#include "tests/platform/ui/ico_file.h"
#include "tests/support/modbus_frames.h"

#include <clocale>
#include <sys/stat.h>

using namespace platform::ui;

namespace {

const int kPortIndex = 2;  // COM3
const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
// Each value control with what the read-out below shows: the battery with a point whatever the
// locale; the counter rows from the top are logs, events, voltage high, low, fail, frequency,
// voltage on and time, partial (1027-1035) then total (1036-1044).
const std::pair<int, std::u16string> kShown[] = {
    {IDC_SERIAL, u"2147483648"}, {IDC_HARDWARE, u"1.2"}, {IDC_SOFTWARE, u"10.11"}, {IDC_PRODUCT, u"77"},
    {IDC_BATTERY, u"2.95"}, {1027, u"-2147483648"}, {1028, u"0"}, {1029, u"3"}, {1030, u"2"}, {1031, u"1"},
    {1032, u"4"}, {1033, u"5"}, {1035, u"86400"}, {1036, u"1000"}, {1037, u"200"}, {1038, u"33"}, {1039, u"22"},
    {1040, u"11"}, {1041, u"44"}, {1042, u"55"}, {1044, u"-1"}};

std::string Battery(double volts) { return "62=" + std::to_string(static_cast<unsigned>(volts * 6553.6)); }

using MainDialog = AppTestFolder;
using testsupport::Bytes;

std::string Configuration(const std::string& port)
{
    return kDeclaration + "<config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono><port>" + port +
           "</port></config>";
}

const Bytes kReadOut = testsupport::ReadRequest(3, 0, 67);

}  // namespace

TEST_F(MainDialog, ReadOutShowsEveryValueInItsFormatWhateverTheLocaleAndEveryFailureClearsThem)
{
    // The simulator's counters, with two extremes: partial logs 2^31, total time 2^32 - 1. Then
    // requests 2 to 5 fail in four ways, the 6th succeeds again, and COM5 has no device.
    StartRecorder({"--set", "1=0x0102", "--set", "2=0x0A0B", "--set", "3=77", "--set", Battery(2.955), "--set",
                   "65=0x8000", "--set", "66=0", "--set", "26=0x8000", "--set", "27=0", "--set", "60=0xFFFF", "--set",
                   "61=0xFFFF", "--fault", "no-reply@2", "--fault", "bad-crc@3", "--fault", "exception:4@4",
                   "--fault", "wrong-unit@5"});
    ASSERT_NE(std::setlocale(LC_ALL, "es_ES.UTF-8"), nullptr);
    std::vector<Screen> screens(7);
    Capture(screens[0]);
    for (size_t i = 1; i < screens.size(); ++i) {
        ui_.Select(IDC_PORT, i < 6 ? kPortIndex : 4);
        Capture(screens[i]);
    }
    RunMainWindow();
    std::setlocale(LC_ALL, "C");

    Screen& screen = screens[0];
    EXPECT_EQ(screen.selection, kPortIndex);
    EXPECT_EQ(screen.text[IDC_PARTIAL_TIME_LABEL], Text(kTextTime) + u" (s)");
    EXPECT_EQ(screen.Status(), std::make_tuple(std::u16string(), true, true));
    EXPECT_EQ(screens[5].text, screen.text);
    EXPECT_EQ(recorder_->Requests(), std::vector<Bytes>(6, kReadOut));
    for (size_t i : {1, 2, 3, 4, 6})
        EXPECT_EQ(screens[i].Status(), std::make_tuple(Text(i < 6 ? kTextCommunicationError : kTextPortNotOpened), false, false)) << i;
    for (const auto& [id, text] : kShown) {
        EXPECT_EQ(screen.text[id], text) << id;
        for (size_t i : {1, 2, 3, 4, 6})
            EXPECT_EQ(screens[i].text[id], u"-") << "read-out " << i << ", control " << id;
    }
    // Even a read-out that fails writes its port.
    EXPECT_NE(ReadFile("default.xcfg").find("<port>5</port>"), std::string::npos);
}

TEST_F(MainDialog, ConfigurationFileIsCreatedOrRepairedWithTheDefaults)
{
    // Missing, damaged, or with a port outside the list: the defaults and no selection.
    for (const std::string& start : {std::string(), std::string("<config><port>3</port>"), Configuration("-1"),
                                     Configuration("0"), Configuration("300")}) {
        if (!start.empty())
            WriteFile("default.xcfg", start);
        Screen screen = RunMainWindow();
        EXPECT_EQ(screen.selection, -1) << start;
        EXPECT_EQ(screen.text[IDC_STATUS], Text(kTextPortNotOpened)) << start;
        EXPECT_EQ(ReadFile("default.xcfg"), Configuration("-1")) << start;
    }
}

TEST_F(MainDialog, UnsetClockOffersTheFactorySettings)
{
    // Yes: "#DEFAULT", the current UTC time into 16-17, and a second read.
    StartRecorder({"--clock", "unset"});
    ui_.AnswerMessageBox(IDYES);
    XCTime before, after;
    before.NowUtc();
    RunMainWindow();
    after.NowUtc();
    EXPECT_EQ(ui_.MessageBoxes().at(0).text, Text(kTextRestoreFactorySettings));
    EXPECT_EQ(ui_.MessageBoxes().at(0).type, MB_YESNO | MB_ICONEXCLAMATION);
    const std::vector<Bytes> requests = recorder_->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests, (std::vector<Bytes>{kReadOut, {'#', 'D', 'E', 'F', 'A', 'U', 'L', 'T'}, requests[2], kReadOut}));
    ASSERT_EQ(Bytes(requests[2].begin(), requests[2].begin() + 7), (Bytes{1, 16, 0, 16, 0, 2, 4}));
    const XCTime written = DecodeRecorderClock(ReplyDoubleRegister(requests[2].data() + 4, 0, 0));
    EXPECT_TRUE(written.GetSeconds() >= before.GetSeconds() && written.GetSeconds() <= after.GetSeconds());

    // No, or a command that fails: only the first read, and its values shown without a message.
    // The clock is 2031-05-01, whose four year bits the recorder keeps read as 2015.
    for (int answer : {IDNO, IDYES}) {
        StartRecorder({"--clock", "41420000", "--set", "3=21", "--fault", "garbage:1@2"});
        ui_.AnswerMessageBox(answer);
        Screen screen = RunMainWindow();
        EXPECT_EQ(recorder_->Requests().size(), answer == IDNO ? 1u : 2u);
        EXPECT_EQ(screen.text[IDC_PRODUCT], u"21");
        EXPECT_EQ(screen.text[IDC_STATUS], u"");
    }
    // The last second before 2015-06-01 asks; the limit itself and an invalid clock do not.
    XCRSDeviceConnection unopened(-1);
    ui_.AnswerMessageBox(IDNO);
    for (uint32_t clock : {PackDateTime(0, 5, 31, 23, 59, 59), PackDateTime(0, 6, 1, 0, 0, 0), 0u})
        EXPECT_FALSE(ConfirmFactoryDefaults(unopened, DecodeRecorderClock(clock))) << clock;
    EXPECT_EQ(ui_.MessageBoxes().size(), 4u);
}

TEST_F(MainDialog, WeakBatteryWarnsOnceASecondAfterTheWindowOpensThenAtOnce)
{
    StartRecorder({"--set", Battery(1.69)});
    ui_.AdvanceClock(999);
    ui_.Call([this](Dialog&) { EXPECT_TRUE(ui_.MessageBoxes().empty()) << "not before a second"; });
    ui_.AdvanceClock(1);
    ui_.AnswerMessageBox(IDOK);
    ui_.AdvanceClock(10000);
    ui_.Select(IDC_PORT, kPortIndex);
    ui_.AnswerMessageBox(IDOK);
    RunMainWindow();
    ASSERT_EQ(ui_.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui_.MessageBoxes()[1].text, Text(kTextBatteryVeryLow));
    // Below 2.2 V the low warning; 2.2 V nothing.
    StartRecorder({"--set", Battery(2.19)});
    ui_.AdvanceClock(1000);
    ui_.AnswerMessageBox(IDOK);
    RunMainWindow();
    EXPECT_EQ(LastMessage(), Text(kTextBatteryLow));
    StartRecorder({"--set", Battery(2.2001)});
    ui_.AdvanceClock(5000);
    RunMainWindow();
    EXPECT_EQ(ui_.MessageBoxes().size(), 3u);
}

TEST_F(MainDialog, AboutEntryShowsTheProductNameWithItsAmpersand)
{
    WriteFile("default.xcfg", kDeclaration + "<config><productName>Volt &amp; Co</productName></config>");
    Screen about;
    ui_.ChooseSystemMenuItem(IDM_ABOUTBOX);
    ui_.Call([&about](Dialog& dialog) { about = Screen::Of(dialog); });
    ui_.Click(IDOK);
    EXPECT_EQ(RunMainWindow().title, u"Volt & Co 1.5");
    EXPECT_EQ(about.title, u"Acerca de Volt & Co");
    EXPECT_EQ(about.text[IDC_ABOUT_VERSION], u"Volt & Co, versi\u00F3n 1.5");

    // Without the file: an empty name in both texts, and the built-in icon; then an icon named with
    // a backslash, as a file written on another system names it.
    std::remove("default.xcfg");
    ASSERT_EQ(mkdir("icons", 0700), 0);
    const std::vector<unsigned char> ico = MakeIcoFile(16, 1, 2, 3);
    WriteFile("icons/x.ico", std::string(ico.begin(), ico.end()));
    for (const std::string icon : {"resource 128", "icons/x.ico"}) {
        std::string origin;
        ui_.Call([&](Dialog& dialog) {
            about = Screen::Of(dialog);
            origin = DialogHost::FindControl(dialog, IDC_ABOUT_ICON)->icon.Origin();
        });
        ui_.Click(IDOK);
        CAboutDlg().DoModal();
        EXPECT_EQ(about.title, u"Acerca de ");
        EXPECT_EQ(about.text[IDC_ABOUT_VERSION], u", versi\u00F3n 1.5");
        EXPECT_EQ(origin, icon);
        WriteFile("default.xcfg", kDeclaration + "<config><icono>icons\\x.ico</icono></config>");
    }
}
