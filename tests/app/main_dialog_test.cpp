#include "app/main_dialog.h"

#include "app/register_map.h"
#include "app/resource_ids.h"
#include "app/text_ids.h"
#include "devicelink/rs_device_connection.h"
#include "platform/ui/ui_constants.h"
#include "tests/app/app_test_folder.h"
#include "tests/support/simulated_recorder.h"

#include <clocale>

using platform::ui::Dialog;
using platform::ui::IDNO;
using platform::ui::IDOK;
using platform::ui::IDYES;

namespace {

const int kPort = 3;
const int kPortIndex = kPort - 1;
const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// Value controls of the display: identity, then partial and total counters.
const int kValueControls[] = {IDC_SERIAL, IDC_HARDWARE, IDC_SOFTWARE, IDC_PRODUCT, IDC_BATTERY,
                              1027, 1028, 1029, 1030, 1031, 1032, 1033, 1035,
                              1036, 1037, 1038, 1039, 1040, 1041, 1042, 1044};

std::vector<std::string> SetRegister(uint32_t reg, unsigned value)
{
    return {"--set", std::to_string(reg) + "=" + std::to_string(value)};
}

// The battery register for a voltage, rounded down as the recorder measures.
unsigned BatteryRaw(double volts) { return static_cast<unsigned>(volts * 65536 / 10); }

bool IsReadOutRequest(const std::vector<uint8_t>& request)
{
    return request.size() == 8 && request[1] == 3 && request[3] == 0 && request[5] == kReadOutRegisterCount;
}

class MainDialog : public AppTestFolder {
protected:
    // A recorder on COM3, and a configuration that selects it.
    void StartRecorder(const std::vector<std::string>& arguments)
    {
        recorder_ = std::make_unique<SimulatedRecorder>(arguments, ports_.LinkPath(kPort));
        ASSERT_TRUE(recorder_->IsReady());
        WriteFile("default.xcfg", std::string(kDeclaration) +
                                      "<config><productName>Kestrovane</productName><icono>Kestrovane.ico</icono>"
                                      "<port>3</port></config>");
    }
    void CaptureInto(Screen& screen)
    {
        ui_.Call([&screen](Dialog& dialog) { screen = Screen::Of(dialog, IDC_PORT); });
    }
    int Run()
    {
        ui_.CloseWindow();
        CKestrovaneDlg dialog;
        const int result = dialog.DoModal();
        EXPECT_EQ(ui_.Failure(), "");
        return result;
    }

    std::unique_ptr<SimulatedRecorder> recorder_;
};

}  // namespace

TEST_F(MainDialog, ReadOutShowsEveryValueInItsFormatWhateverTheLocale)
{
    std::vector<std::vector<std::string>> registers = {
        SetRegister(1, 0x0102), SetRegister(2, 0x0A0B), SetRegister(3, 77),
        SetRegister(62, BatteryRaw(2.955)), SetRegister(65, 0x8000), SetRegister(66, 0),
        SetRegister(26, 0x8000), SetRegister(27, 0), SetRegister(60, 0xFFFF), SetRegister(61, 0xFFFF)};
    // Every other counter holds its own number: partial n, total 100 + n, by register order.
    for (int i = 1; i < kRecorderCounterCount; ++i) {
        registers.push_back(SetRegister(kPartialCountersRegister + 2 * i, 0));
        registers.push_back(SetRegister(kPartialCountersRegister + 2 * i + 1, i + 1));
    }
    for (int i = 0; i < kRecorderCounterCount - 1; ++i) {
        registers.push_back(SetRegister(kTotalCountersRegister + 2 * i, 0));
        registers.push_back(SetRegister(kTotalCountersRegister + 2 * i + 1, 101 + i));
    }
    std::vector<std::string> arguments;
    for (const auto& pair : registers)
        arguments.insert(arguments.end(), pair.begin(), pair.end());
    StartRecorder(arguments);
    ASSERT_NE(std::setlocale(LC_ALL, "es_ES.UTF-8"), nullptr);

    Screen screen;
    CaptureInto(screen);
    Run();
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(screen.title, u"Kestrovane 1.5");
    EXPECT_EQ(screen.selection, kPortIndex);
    EXPECT_EQ(screen.text[IDC_SERIAL], u"2147483648");
    EXPECT_EQ(screen.text[IDC_HARDWARE], u"1.2");
    EXPECT_EQ(screen.text[IDC_SOFTWARE], u"10.11");
    EXPECT_EQ(screen.text[IDC_PRODUCT], u"77");
    EXPECT_EQ(screen.text[IDC_BATTERY], u"2.95") << "a point, not the locale's comma";
    // Rows: logs, events, voltage high, voltage low, voltage fail, frequency, voltage on, time.
    EXPECT_EQ(screen.text[1027], u"-2147483648") << "2^31 shows negative";
    EXPECT_EQ(screen.text[1028], u"2");
    EXPECT_EQ(screen.text[1032], u"6");
    EXPECT_EQ(screen.text[1031], u"5");
    EXPECT_EQ(screen.text[1030], u"4");
    EXPECT_EQ(screen.text[1033], u"7");
    EXPECT_EQ(screen.text[1029], u"3");
    EXPECT_EQ(screen.text[1035], u"9");
    EXPECT_EQ(screen.text[1036], u"101");
    EXPECT_EQ(screen.text[1037], u"102");
    EXPECT_EQ(screen.text[1041], u"106");
    EXPECT_EQ(screen.text[1040], u"105");
    EXPECT_EQ(screen.text[1039], u"104");
    EXPECT_EQ(screen.text[1042], u"107");
    EXPECT_EQ(screen.text[1038], u"103");
    EXPECT_EQ(screen.text[1044], u"-1");
    EXPECT_EQ(screen.text[1017], Text(kTextTime) + u" (s)");
    EXPECT_EQ(screen.text[1026], Text(kTextTime) + u" (s)");
    EXPECT_EQ(screen.text[1014], Text(kTextVoltageHigh));
    EXPECT_EQ(screen.text[IDC_STATUS], u"");
    EXPECT_TRUE(screen.enabled[IDC_PARAMETERS]);
    EXPECT_TRUE(screen.enabled[IDC_DOWNLOAD]);
    const auto requests = recorder_->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], (std::vector<uint8_t>{0x01, 0x03, 0x00, 0x00, 0x00, 0x43, 0x04, 0x3B}));
}

TEST_F(MainDialog, EveryFailedReadOutClearsTheDisplayAndDisablesTheButtons)
{
    // Requests 2 to 5 fail in four ways; the 6th succeeds again.
    StartRecorder({"--set", "3=9", "--fault", "no-reply@2", "--fault", "bad-crc@3", "--fault", "exception:4@4",
                   "--fault", "wrong-unit@5"});
    std::vector<Screen> screens(6);
    CaptureInto(screens[0]);
    for (size_t i = 1; i < screens.size(); ++i) {
        ui_.Select(IDC_PORT, kPortIndex);
        CaptureInto(screens[i]);
    }
    // A port without a device.
    Screen unopened;
    ui_.Select(IDC_PORT, 4);
    CaptureInto(unopened);
    Run();

    EXPECT_EQ(screens[0].text[IDC_PRODUCT], u"9");
    for (size_t i = 1; i <= 4; ++i) {
        EXPECT_EQ(screens[i].text[IDC_STATUS], Text(kTextCommunicationError)) << "failure " << i;
        for (int id : kValueControls)
            EXPECT_EQ(screens[i].text[id], u"-") << "failure " << i << ", control " << id;
        EXPECT_FALSE(screens[i].enabled[IDC_PARAMETERS]) << "failure " << i;
        EXPECT_FALSE(screens[i].enabled[IDC_DOWNLOAD]) << "failure " << i;
    }
    EXPECT_EQ(screens[5].text[IDC_PRODUCT], u"9") << "a good read-out restores the display";
    EXPECT_EQ(screens[5].text[IDC_STATUS], u"");
    EXPECT_TRUE(screens[5].enabled[IDC_PARAMETERS]);
    EXPECT_TRUE(screens[5].enabled[IDC_DOWNLOAD]);
    EXPECT_EQ(unopened.text[IDC_STATUS], Text(kTextPortNotOpened));
    EXPECT_EQ(unopened.text[IDC_PRODUCT], u"-");
    EXPECT_FALSE(unopened.enabled[IDC_PARAMETERS]);
    EXPECT_FALSE(unopened.enabled[IDC_DOWNLOAD]);
    EXPECT_NE(ReadFile("default.xcfg").find("<port>5</port>"), std::string::npos);
}

TEST_F(MainDialog, StoredPortOutsideTheListSelectsNothing)
{
    for (const char* stored : {"<port>-1</port>", "<port>0</port>", "<port>300</port>", "<port>COM3</port>", ""}) {
        WriteFile("default.xcfg", std::string(kDeclaration) + "<config><productName>Kestrovane</productName>" +
                                      "<icono>Kestrovane.ico</icono>" + stored + "</config>");
        Screen screen;
        CaptureInto(screen);
        Run();
        EXPECT_EQ(screen.selection, -1) << stored;
        EXPECT_EQ(screen.text[IDC_STATUS], Text(kTextPortNotOpened)) << stored;
        EXPECT_NE(ReadFile("default.xcfg").find("<port>-1</port>"), std::string::npos) << stored;
    }
}

TEST_F(MainDialog, ConfigurationFileIsCreatedRepairedAndKeptCurrent)
{
    // Missing: created with the defaults; the first read-out adds the port.
    Screen screen;
    CaptureInto(screen);
    Run();
    EXPECT_EQ(ReadFile("default.xcfg"), std::string(kDeclaration) +
                                            "<config><productName>Kestrovane</productName>"
                                            "<icono>Kestrovane.ico</icono><port>-1</port></config>");
    EXPECT_EQ(screen.title, u"Kestrovane 1.5");
    EXPECT_EQ(screen.selection, -1);

    // Damaged: replaced by a new document.
    WriteFile("default.xcfg", "<config><port>3</port>");
    Run();
    EXPECT_EQ(ReadFile("default.xcfg"), std::string(kDeclaration) +
                                            "<config><productName>Kestrovane</productName>"
                                            "<icono>Kestrovane.ico</icono><port>-1</port></config>");

    // Empty keys get their defaults; other keys and the product name stay.
    WriteFile("default.xcfg", std::string(kDeclaration) + "<config><productName></productName><extra>x</extra></config>");
    Run();
    EXPECT_EQ(ReadFile("default.xcfg"), std::string(kDeclaration) +
                                            "<config><productName>Kestrovane</productName><extra>x</extra>"
                                            "<icono>Kestrovane.ico</icono><port>-1</port></config>");
    WriteFile("default.xcfg", std::string(kDeclaration) + "<config><productName>Volt &amp; Co</productName></config>");
    CaptureInto(screen);
    Run();
    EXPECT_EQ(screen.title, u"Volt & Co 1.5");

    // The port is written on every read-out.
    SimulatedRecorder recorder({}, ports_.LinkPath(kPort));
    ASSERT_TRUE(recorder.IsReady());
    ui_.Select(IDC_PORT, kPortIndex);
    ui_.Call([this](Dialog&) { EXPECT_NE(ReadFile("default.xcfg").find("<port>3</port>"), std::string::npos); });
    ui_.Select(IDC_PORT, 6);
    Run();
    EXPECT_NE(ReadFile("default.xcfg").find("<port>7</port>"), std::string::npos);
}

TEST_F(MainDialog, WindowIconComesFromTheNamedFileElseTheBuiltInOne)
{
    // The default written at the first start takes effect at the next one.
    platform::ui::Icon icon;
    ui_.Call([&icon](Dialog& dialog) { icon = dialog.GetIcon(); });
    Run();
    EXPECT_EQ(icon.Origin(), "resource 128");
    std::ifstream source(KESTROVANE_PROGRAM_DIR "/Kestrovane.ico", std::ios::binary);
    std::ofstream(folder_ + "/Kestrovane.ico", std::ios::binary) << source.rdbuf();
    ui_.Call([&icon](Dialog& dialog) { icon = dialog.GetIcon(); });
    Run();
    EXPECT_EQ(icon.Origin(), "Kestrovane.ico");
    // A file that is not an icon.
    WriteFile("Kestrovane.ico", "not an icon");
    ui_.Call([&icon](Dialog& dialog) { icon = dialog.GetIcon(); });
    Run();
    EXPECT_EQ(icon.Origin(), "resource 128");
}

TEST_F(MainDialog, UnsetClockOffersTheFactorySettings)
{
    // Yes: "#DEFAULT", the current UTC time into 16-17, and a second read.
    StartRecorder({"--clock", "unset"});
    ui_.AnswerMessageBox(IDYES);
    Screen screen;
    CaptureInto(screen);
    XCTime before;
    before.NowUtc();
    Run();
    XCTime after;
    after.NowUtc();
    ASSERT_EQ(ui_.MessageBoxes().size(), 1u);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, Text(kTextRestoreFactorySettings));
    EXPECT_EQ(ui_.MessageBoxes()[0].type, platform::ui::MB_YESNO | platform::ui::MB_ICONEXCLAMATION);
    auto requests = recorder_->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_TRUE(IsReadOutRequest(requests[0]));
    EXPECT_EQ(std::string(requests[1].begin(), requests[1].end()), "#DEFAULT");
    ASSERT_EQ(requests[2].size(), 13u);
    EXPECT_EQ(std::vector<uint8_t>(requests[2].begin(), requests[2].begin() + 7),
              (std::vector<uint8_t>{0x01, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04}));
    const uint32_t written = ReplyDoubleRegister(requests[2].data() + 4, 0, 0);
    const XCTime clock = DecodeRecorderClock(written);
    EXPECT_GE(clock.GetSeconds(), before.GetSeconds());
    EXPECT_LE(clock.GetSeconds(), after.GetSeconds()) << "the current UTC time, within the second";
    EXPECT_TRUE(IsReadOutRequest(requests[3]));
    EXPECT_EQ(screen.text[IDC_STATUS], u"");
    EXPECT_NE(screen.text[IDC_SERIAL], u"-");

    // No: only the first read; its values are shown.
    StartRecorder({"--clock", "unset", "--set", "3=21"});
    ui_.AnswerMessageBox(IDNO);
    CaptureInto(screen);
    Run();
    EXPECT_EQ(recorder_->Requests().size(), 1u);
    EXPECT_EQ(screen.text[IDC_PRODUCT], u"21");

    // A command that fails: no clock write, no message, the first read shown.
    StartRecorder({"--clock", "unset", "--set", "3=22", "--fault", "garbage:1@2"});
    ui_.AnswerMessageBox(IDYES);
    CaptureInto(screen);
    Run();
    requests = recorder_->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(std::string(requests[1].begin(), requests[1].end()), "#DEFAULT");
    EXPECT_EQ(screen.text[IDC_PRODUCT], u"22");
    EXPECT_EQ(screen.text[IDC_STATUS], u"");

    // A clock write that fails ends like any failed exchange.
    StartRecorder({"--clock", "unset", "--fault", "exception:4@3"});
    ui_.AnswerMessageBox(IDYES);
    CaptureInto(screen);
    Run();
    EXPECT_EQ(recorder_->Requests().size(), 3u);
    EXPECT_EQ(screen.text[IDC_STATUS], Text(kTextCommunicationError));
    EXPECT_EQ(screen.text[IDC_SERIAL], u"-");
}

TEST_F(MainDialog, OnlyAClockBeforeJuneTwentyFifteenAsks)
{
    XCRSDeviceConnection unopened(-1);
    XCTime clock;
    // One second before the limit asks; no answers it.
    clock.Set(2015, 5, 31, 23, 59, 59, 0, 0);
    ui_.AnswerMessageBox(IDNO);
    EXPECT_FALSE(ConfirmFactoryDefaults(unopened, clock));
    EXPECT_EQ(ui_.MessageBoxes().size(), 1u);
    // The limit itself, and the invalid time, ask nothing.
    clock.Set(2015, 6, 1, 0, 0, 0, 0, 0);
    EXPECT_FALSE(ConfirmFactoryDefaults(unopened, clock));
    EXPECT_FALSE(ConfirmFactoryDefaults(unopened, DecodeRecorderClock(0)));
    EXPECT_EQ(ui_.MessageBoxes().size(), 1u);
    // Yes on a port that is not open: the command fails.
    clock.Set(2015, 1, 1, 0, 0, 0, 0, 0);
    ui_.AnswerMessageBox(IDYES);
    EXPECT_FALSE(ConfirmFactoryDefaults(unopened, clock));
    EXPECT_EQ(ui_.Failure(), "");
}

TEST_F(MainDialog, WeakBatteryWarnsOnceASecondAfterTheWindowOpens)
{
    StartRecorder({"--set", "62=" + std::to_string(BatteryRaw(1.69))});
    ui_.AdvanceClock(999);
    ui_.Call([this](Dialog&) { EXPECT_TRUE(ui_.MessageBoxes().empty()) << "not before the second has passed"; });
    ui_.AdvanceClock(1);
    ui_.AnswerMessageBox(IDOK);
    ui_.AdvanceClock(10000);
    ui_.Call([this](Dialog&) { EXPECT_EQ(ui_.MessageBoxes().size(), 1u) << "once"; });
    // A later read-out warns at once.
    ui_.Select(IDC_PORT, kPortIndex);
    ui_.AnswerMessageBox(IDOK);
    Run();
    ASSERT_EQ(ui_.MessageBoxes().size(), 2u);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, Text(kTextBatteryVeryLow));
    EXPECT_EQ(ui_.MessageBoxes()[0].type, platform::ui::MB_OK);
    EXPECT_EQ(ui_.MessageBoxes()[1].text, Text(kTextBatteryVeryLow));
}

TEST_F(MainDialog, BatteryThresholdsPickTheirWarnings)
{
    // Below 2.2 V: the low warning.
    StartRecorder({"--set", "62=" + std::to_string(BatteryRaw(2.19))});
    ui_.AdvanceClock(1000);
    ui_.AnswerMessageBox(IDOK);
    Run();
    ASSERT_EQ(ui_.MessageBoxes().size(), 1u);
    EXPECT_EQ(ui_.MessageBoxes()[0].text, Text(kTextBatteryLow));
    // 2.2 V and above: nothing.
    StartRecorder({"--set", "62=" + std::to_string(BatteryRaw(2.2) + 1)});
    ui_.AdvanceClock(5000);
    Run();
    EXPECT_EQ(ui_.MessageBoxes().size(), 1u);
}

TEST_F(MainDialog, AboutEntryOpensTheAboutBox)
{
    WriteFile("default.xcfg", std::string(kDeclaration) + "<config><productName>Volt &amp; Co</productName></config>");
    std::vector<Dialog::MenuItem> menu;
    Screen about;
    ui_.Call([&menu](Dialog& dialog) { menu = dialog.SystemMenuItems(); });
    ui_.ChooseSystemMenuItem(IDM_ABOUTBOX);
    ui_.Call([&about](Dialog& dialog) { about = Screen::Of(dialog, 0); });
    ui_.Click(IDOK);
    Run();
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_EQ(menu[0].text, u"&Acerca de...");
    EXPECT_EQ(menu[0].commandId, IDM_ABOUTBOX);
    EXPECT_EQ(about.title, u"Acerca de Volt & Co");
    EXPECT_EQ(about.text[IDC_ABOUT_VERSION], u"Volt & Co, versi\u00F3n 1.5");
}
