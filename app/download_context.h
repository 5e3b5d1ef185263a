#pragma once
#include "foundation/xc_string.h"
#include "platform/file.h"
#include "recordfiles/eva_file.h"
#include "recordfiles/std_file.h"

#include <cstdint>

class CDlgProgress;
class XCRSDeviceConnection;

// How a download ended.
enum class DownloadResult : int32_t {
    Done = 0,
    CommError = 1,
    Cancelled = 2,
    LogsFileError = 3,    // the logs file could not be created
    EventsFileError = 4,  // the events file could not be created
    LogsFileNotWritten = 5,
    EventsFileNotWritten = 6,
    BadMemoryPointers = 7,
};

// The text id of the message shown for `result`; 0 for none (a cancel).
uint16_t DownloadResultMessage(DownloadResult result);

// What the download dialog shares with its worker thread for one download. The dialog's OK
// handler owns it and waits in the progress dialog until the worker has finished with it.
struct DownloadContext {
    CDlgProgress* progress = nullptr;
    XCRSDeviceConnection* connection = nullptr;
    DownloadResult result = DownloadResult::Done;  // stored by the worker before it finishes
    XCStringW folder;                              // ends in a separator
    bool logs = false;
    bool events = false;
    platform::File logsFile;
    platform::File eventsFile;
    // Never opened: the downloads carry no record files.
    XCStdFile recordFile;
    XCEvaFile evaFile;
};
