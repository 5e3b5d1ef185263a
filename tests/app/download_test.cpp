#include "app/download_dialog.h"

#include "app/text_ids.h"
#include "platform/file_system_calls.h"
#include "tests/app/app_test_folder.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::ui;

namespace {

class Download : public AppTestFolder {
protected:
    std::string Path(const char* kind) const { return folder_ + "/" + CsvName(kind); }
    bool Exists(const char* kind) const { return access(Path(kind).c_str(), F_OK) == 0; }
    // The record walk: "S<page byte>" for a page select, "R<offset>:<count>" for a read of records.
    std::string Walk() const
    {
        std::string walk;
        for (const auto& request : recorder_->Requests()) {
            if (request[1] == 16)
                walk += " S" + std::to_string(request[8]);
            else if (request[1] == 4)
                walk += " R" + std::to_string(request[2] << 8 | request[3]) + ":" + std::to_string(request[5]);
        }
        return walk;
    }
};

std::vector<std::string> Memory(const char* pages, const char* size, int sp, int so, int ep, int eo)
{
    return {"--pages", pages, "--page-size", size, "--set", "22=" + std::to_string(sp), "--set",
            "23=" + std::to_string(so), "--set", "24=" + std::to_string(ep), "--set", "25=" + std::to_string(eo)};
}

}  // namespace

TEST_F(Download, WalksTheRingFromTheOldestToTheNewestRecord)
{
    // Each pointer check (pages, then pointers), then a count beyond the memory: nothing read, no
    // file made.
    const int bad[][5] = {{4, 0, 0, 1, 0}, {4, 5, 0, 1, 0},  {4, 1, 0, 0, 0}, {4, 1, 0, 5, 0},
                          {4, 1, 61, 1, 0}, {4, 1, 0, 2, 61}, {1, 1, 0, 1, 60}};
    for (const auto& b : bad) {
        StartRecorder(Memory(std::to_string(b[0]).c_str(), "60", b[1], b[2], b[3], b[4]));
        EXPECT_EQ(RunDownload(), Text(kTextBadMemoryPointers));
        EXPECT_EQ(recorder_->Requests().size(), 3u);
    }
    EXPECT_FALSE(Exists("logs") || Exists("events"));

    const std::pair<std::vector<std::string>, std::string> cases[] = {
        // Wrapped: the start pointer lies after the end pointer in the same page.
        {Memory("4", "60", 2, 18, 2, 17), " S2 R18:42 S3 R0:60 S4 R0:60 S1 R0:60 S2 R0:18"},
        // Not wrapped, over two pages; the last request reaches past the end offset to a whole record.
        {Memory("4", "60", 1, 0, 2, 29), " S1 R0:60 S2 R0:30"},
        {Memory("4", "60", 1, 0, 1, 0), " S1 R0:3"},
        // An end page before the start page, from offset 0.
        {Memory("3", "60", 3, 0, 1, 5), " S3 R0:60 S1 R0:6"},
        // Both in the last page with the end offset first: the last page is read twice.
        {Memory("2", "60", 2, 30, 2, 2), " S2 R30:30 S1 R0:60 S2 R0:3"},
        // Page 256 is selected by its low byte.
        {Memory("256", "3", 256, 0, 256, 2), " S0 R0:3"},
    };
    for (const auto& [memory, walk] : cases) {
        StartRecorder(memory);
        EXPECT_EQ(RunDownload(), Text(kTextDownloadComplete));
        EXPECT_EQ(Walk(), walk);
    }
}

TEST_F(Download, WritesEachRecordAsOneCsvLineInLocalTime)
{
    setenv("TZ", "CET-1", 1);
    tzset();
    // A language file whose event text 66 is Latin-1 beyond ASCII and whose text 64 holds a unit
    // with a low byte of 0, where its line ends.
    WriteFile("es.txt", "64\tEvento\xC4\x80 1\n66\tCa\xC3\xAD" "da\n");
    ASSERT_EQ(std::system(("\"" KESTROVANE_PROGRAM_DIR "/stc-writer\" " + folder_ + "/es.txt " + folder_ + "/es.stc").c_str()), 0);
    ASSERT_TRUE(g_StringTable.Load((folder_ + "/es.stc").c_str()));
    // A log (sample 16384), an event (mask 6), an event without a known bit, both bits, an empty slot.
    const char* words[] = {"0x48CA", "0xE1C9", "0x4000", "0x88CA", "0xE1C9", "6", "0x88CA", "0xE1C9", "0x80",
                           "0xC8CA", "0xE1C9", "0x4001"};
    std::vector<std::string> memory = Memory("1", "60", 1, 0, 1, 14);
    for (int i = 0; i < 12; ++i)
        memory.insert(memory.end(), {"--memory", std::to_string(i) + "=" + words[i]});
    StartRecorder(memory);
    RunDownload();
    EXPECT_EQ(ReadFile(CsvName("logs")), "05/03/2017 15:07:09,250.00\r\n05/03/2017 15:07:09,250.02\r\n");
    EXPECT_EQ(ReadFile(CsvName("events")), "05/03/2017 15:07:09,Ca\xED" "da\r\n");
    // Without logs the record with both bits is an event.
    StartRecorder(memory);
    RunDownload(false);
    EXPECT_EQ(ReadFile(CsvName("events")), "05/03/2017 15:07:09,Ca\xED" "da\r\n05/03/2017 15:07:09,Evento\r\n");
}

TEST_F(Download, EveryFailureEndsWithItsMessageAndTheLinesWrittenSoFar)
{
    // (A line that fails mid-walk: the serial fault walk.) The events file's name is taken by a
    // folder: the logs file is made anew, empty.
    StartRecorder({"--logs", "3", "--events", "3"});
    WriteFile(CsvName("logs"), "old\n");
    ASSERT_EQ(mkdir(Path("events").c_str(), 0700), 0);
    EXPECT_EQ(RunDownload(), Text(kTextEventsFileNotCreated));
    EXPECT_EQ(ReadFile(CsvName("logs")), "");

    // A full disk, for each file; then a close that loses what was written.
    ASSERT_EQ(rmdir(Path("events").c_str()), 0);
    platform::FileSystem().write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
    EXPECT_EQ(RunDownload(), Text(kTextLogsFileNotWritten));
    EXPECT_EQ(RunDownload(false), Text(kTextEventsFileNotWritten));
    platform::FileSystem() = platform::RealFileSystem();
    platform::FileSystem().close = [](int fd) { return platform::RealFileSystem().close(fd), errno = EIO, -1; };
    EXPECT_EQ(RunDownload(), Text(kTextLogsFileNotWritten));
    platform::FileSystem() = platform::RealFileSystem();

    // 242 units pass the browser's rule but leave no room for the names; 243 are refused at once.
    const std::u16string folder242 = u"/" + std::u16string(241, u'd');
    EXPECT_EQ(RunDownload(true, folder242), Text(kTextLogsFileNotCreated));
    ui_.Click(IDC_DOWNLOAD_BROWSE);
    ui_.ChooseFolder(folder242 + u"d");
    ui_.AnswerMessageBox(IDOK);
    ui_.Call([](Dialog& dialog) { EXPECT_EQ(dialog.GetDlgItem(IDC_DOWNLOAD_FOLDER).GetWindowText().size(), 243u); });
    ui_.CloseWindow();
    KestrovaneDownloadDlg(3).DoModal();
    EXPECT_EQ(LastMessage(), Text(kTextFolderTooLong));
    // 237 units leave room for the logs file's name alone: no file is made.
    std::string folder237 = folder_ + "/" + std::string(237 - folder_.size() - 1, 'd');
    for (size_t at = folder_.size() + 100; at + 1 < folder237.size(); at += 100) {
        folder237[at] = '/';
        ASSERT_EQ(mkdir(folder237.substr(0, at).c_str(), 0700), 0);
    }
    ASSERT_EQ(mkdir(folder237.c_str(), 0700), 0);
    EXPECT_EQ(RunDownload(true, std::u16string(folder237.begin(), folder237.end())), Text(kTextEventsFileNotCreated));
    EXPECT_EQ(rmdir(folder237.c_str()), 0) << "the folder holds a file";
    // A folder name beyond 8 bits is not cut into another folder's name.
    ASSERT_EQ(mkdir((folder_ + "/d").c_str(), 0700), 0);
    EXPECT_EQ(RunDownload(false, std::u16string(folder_.begin(), folder_.end()) + u"/\u0164"), Text(kTextEventsFileNotCreated));
    EXPECT_FALSE(Exists("d/events"));

    // Cancel during the first request: its 60 lines, no message, and the dialog stays for another OK.
    StartRecorder({"--logs", "100"});
    StartDownload();
    ui_.AdvanceClock(500);
    ui_.Click(IDCANCEL);
    ui_.WaitForEnd();
    ui_.Call([this](Dialog&) { EXPECT_EQ(CsvLines("logs"), 60); });
    EXPECT_EQ(RunDownload(), Text(kTextDownloadComplete));
    EXPECT_EQ(CsvLines("logs"), 100);

    // The progress dialog's run fails at once (no such control): the worker stops after its first
    // request of records, before the context it shares goes.
    StartRecorder({"--logs", "4800", "--pages", "8", "--page-size", "1800"});
    StartDownload();
    ui_.Click(9999);
    EXPECT_EQ(KestrovaneDownloadDlg(3).DoModal(), kHeadlessRunFailed);
    EXPECT_LE(recorder_->Requests().size(), 5u);
}
