#include "app/download_context.h"

#include "app/text_ids.h"

uint16_t DownloadResultMessage(DownloadResult result)
{
    switch (result) {
    case DownloadResult::Done:
        return kTextDownloadComplete;
    case DownloadResult::CommError:
        return kTextCommunicationError;
    case DownloadResult::Cancelled:
        return 0;
    case DownloadResult::LogsFileError:
        return kTextLogsFileNotCreated;
    case DownloadResult::EventsFileError:
        return kTextEventsFileNotCreated;
    case DownloadResult::LogsFileNotWritten:
        return kTextLogsFileNotWritten;
    case DownloadResult::EventsFileNotWritten:
        return kTextEventsFileNotWritten;
    case DownloadResult::BadMemoryPointers:
        return kTextBadMemoryPointers;
    }
    return 0;
}
