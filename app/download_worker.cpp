#include "app/download_worker.h"

#include "app/download_lines.h"
#include "app/progress_dialog.h"
#include "app/register_map.h"
#include "devicelink/modbus_transaction.h"
#include "devicelink/rs_device_connection.h"
#include "foundation/xc_time.h"
#include "platform/c_locale_format.h"
#include "platform/tick_clock.h"
#include "platform/ui/ui_constants.h"
#include "platform/ui/window_ref.h"

#include <string>

namespace {

const uint32_t kReadTimeoutMs = 750;
// File names are formed in a buffer of this many bytes, terminator included.
const size_t kNameCapacity = 256;

// The files are closed before the result is stored; a failed close may have lost written lines.
void EndDownload(DownloadContext& context, DownloadResult result)
{
    const bool logsClosed = context.logsFile.Close();
    const bool eventsClosed = context.eventsFile.Close();
    if (result == DownloadResult::Done || result == DownloadResult::Cancelled) {
        if (!logsClosed)
            result = DownloadResult::LogsFileNotWritten;
        else if (!eventsClosed)
            result = DownloadResult::EventsFileNotWritten;
    }
    context.result = result;
    context.progress->Finish();
}

bool ReadHolding(DownloadContext& context, XCModBusTransaction& transaction, uint32_t start, uint32_t count)
{
    transaction.BuildReadRequest(start, count, 3);
    context.connection->Execute(transaction);
    return transaction.GetState() == XCTransactionState::Complete;
}

// The registers between the oldest and the newest record, in a ring that wraps when the newest
// lies before the oldest; false for pointers outside the memory.
bool CountRegisters(const MemoryPointers& memory, int64_t& count, bool& wrapped)
{
    if (memory.startPage < 1 || memory.startPage > memory.pages || memory.endPage < 1 ||
        memory.endPage > memory.pages || memory.startOffset > memory.pageSize || memory.endOffset > memory.pageSize)
        return false;
    wrapped = false;
    if (memory.endPage > memory.startPage) {
        count = static_cast<int64_t>(memory.endPage - memory.startPage) * memory.pageSize - memory.startOffset +
                memory.endOffset;
    } else if (memory.endPage == memory.startPage && memory.endOffset >= memory.startOffset) {
        count = memory.endOffset - memory.startOffset + 1;
    } else {
        wrapped = true;
        count = static_cast<int64_t>(memory.pageSize) * memory.pages;
    }
    return count <= static_cast<int64_t>(memory.pageSize) * memory.pages;
}

// Forms "<folder><kind>_DDMMYYYY.csv". A folder with a character beyond 8 bits, or a name that
// does not fit its buffer, fails as a file that cannot be created.
bool FormCsvName(char (&name)[kNameCapacity], const XCStringW& folder, const char* kind, const XCTime& today)
{
    std::string narrowFolder;
    for (int32_t i = 0; i < folder.GetLength(); ++i) {
        const char16_t unit = folder.GetData()[i];
        if (unit > 0xFF)
            return false;
        narrowFolder += static_cast<char>(unit);
    }
    const int length = platform::FormatCLocaleInto(name, sizeof name, "%s%s_%02d%02d%04d.csv", narrowFolder.c_str(),
                                                   kind, today.GetDay(), today.GetMonth(), today.GetYear());
    return length >= 0 && static_cast<size_t>(length) < sizeof name;
}

bool CreateCsvFile(platform::File& file, const char* name)
{
    return file.Open(platform::PathFromNarrowName(name), platform::File::Mode::CreateReadWrite);
}

// Every chosen file is named before any is created, so that a name that does not fit leaves no
// empty file behind; Done once all are created.
DownloadResult CreateCsvFiles(DownloadContext& context, const XCTime& today)
{
    char logsName[kNameCapacity];
    char eventsName[kNameCapacity];
    if (context.logs && !FormCsvName(logsName, context.folder, "logs", today))
        return DownloadResult::LogsFileError;
    if (context.events && !FormCsvName(eventsName, context.folder, "events", today))
        return DownloadResult::EventsFileError;
    if (context.logs && !CreateCsvFile(context.logsFile, logsName))
        return DownloadResult::LogsFileError;
    if (context.events && !CreateCsvFile(context.eventsFile, eventsName))
        return DownloadResult::EventsFileError;
    return DownloadResult::Done;
}

// Selects and reads one page of the walk; false once the download has ended.
bool WalkPage(DownloadContext& context, int page, int first, int end)
{
    return SelectPage(context, page) && ReadPageRecords(context, first, end);
}

// Oldest to newest: from the start pointer to the end of the ring, then from its beginning.
bool WalkMemory(DownloadContext& context, const MemoryPointers& memory, bool wrapped)
{
    const int last = memory.pageSize - 1;
    if (!wrapped) {
        for (int page = memory.startPage; page <= memory.endPage; ++page) {
            if (!WalkPage(context, page, page == memory.startPage ? memory.startOffset : 0,
                          page == memory.endPage ? memory.endOffset : last))
                return false;
        }
        return true;
    }
    for (int page = memory.startPage; page <= memory.pages; ++page) {
        if (!WalkPage(context, page, page == memory.startPage ? memory.startOffset : 0, last))
            return false;
    }
    for (int page = 1; page <= memory.endPage; ++page) {
        if (!WalkPage(context, page, 0, page == memory.endPage ? memory.endOffset : last))
            return false;
    }
    return true;
}

// False when a line did not reach its file.
bool WriteRecord(DownloadContext& context, const MemoryRecord& record, DownloadResult& failure)
{
    if ((record.packed & kLogRecordBit) && context.logs) {
        failure = DownloadResult::LogsFileNotWritten;
        return WriteLogRecord(context.logsFile, context.recordFile, record.packed, record.value);
    }
    if ((record.packed & kEventRecordBit) && context.events) {
        failure = DownloadResult::EventsFileNotWritten;
        return WriteEventRecord(context.eventsFile, record.packed, record.value);
    }
    return true;
}

}  // namespace

void DownloadThread(void* argument)
{
    DownloadContext& context = *static_cast<DownloadContext*>(argument);
    CDlgProgress& progress = *context.progress;
    XCTime now;
    now.NowUtc();
    XCTime today;
    now.ToLocal(today);

    // The progress dialog's modal loop, started after this thread, creates its windows; a loop
    // that could not start asks the worker to stop instead.
    while (!platform::ui::IsWindow(progress.BarWindow()) || !platform::ui::IsWindow(progress.LabelWindow())) {
        if (progress.cancelRequested) {
            EndDownload(context, DownloadResult::Cancelled);
            return;
        }
        platform::SleepMilliseconds(1);
    }

    XCModBusTransaction transaction(kReadTimeoutMs);
    if (!ReadHolding(context, transaction, kIdentityRegister, kIdentityRegisterCount) ||
        !ReadHolding(context, transaction, kTimeBetweenLogsRegister, 1) ||
        !ReadHolding(context, transaction, kMemoryPointersRegister, kMemoryPointersRegisterCount)) {
        EndDownload(context, DownloadResult::CommError);
        return;
    }
    const MemoryPointers memory = DecodeMemoryPointers(transaction.GetBuffer());
    int64_t count = 0;
    bool wrapped = false;
    if (!CountRegisters(memory, count, wrapped)) {
        EndDownload(context, DownloadResult::BadMemoryPointers);
        return;
    }

    const int records = static_cast<int>(count / kRecordRegisters);
    progress.range = records;
    platform::ui::Post(progress.BarWindow(), platform::ui::PBM_SETRANGE32, 0, records);
    progress.SetPos(0);

    const DownloadResult created = CreateCsvFiles(context, today);
    if (created != DownloadResult::Done) {
        EndDownload(context, created);
        return;
    }
    if (WalkMemory(context, memory, wrapped))
        EndDownload(context, DownloadResult::Done);
}

bool SelectPage(DownloadContext& context, int page)
{
    XCModBusTransaction transaction(kReadTimeoutMs);
    uint8_t bytes[2];
    PageSelectBytes(page, bytes);
    transaction.BuildWriteRequest(kPageSelectRegister, 1, bytes);
    context.connection->Execute(transaction);
    if (transaction.GetState() == XCTransactionState::Complete)
        return true;
    EndDownload(context, DownloadResult::CommError);
    return false;
}

bool ReadPageRecords(DownloadContext& context, int first, int end)
{
    if (first > end)
        return true;
    const int fullRequest = kMaxRecordsPerRead * kRecordRegisters;
    CDlgProgress& progress = *context.progress;
    XCModBusTransaction transaction(kReadTimeoutMs);
    for (int offset = first;; offset += fullRequest) {
        const int records = offset + fullRequest <= end ? kMaxRecordsPerRead : (end - offset) / kRecordRegisters + 1;
        transaction.BuildReadRequest(static_cast<uint32_t>(offset), static_cast<uint32_t>(records * kRecordRegisters),
                                     kRecordReadFunction);
        context.connection->Execute(transaction);
        if (transaction.GetState() != XCTransactionState::Complete) {
            EndDownload(context, DownloadResult::CommError);
            return false;
        }
        for (int k = 0; k < records; ++k) {
            DownloadResult failure = DownloadResult::Done;
            if (!WriteRecord(context, ReplyRecord(transaction.GetBuffer(), k), failure)) {
                EndDownload(context, failure);
                return false;
            }
        }
        progress.SetPos(progress.position + records);
        if (progress.cancelRequested) {
            EndDownload(context, DownloadResult::Cancelled);
            return false;
        }
        if (offset + fullRequest > end)
            return true;
    }
}
