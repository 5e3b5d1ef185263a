#pragma once
#include "app/download_context.h"

// The download of the recorder's memory into the CSV files, on a thread of its own. It reaches
// the user-interface thread only by posting to the progress dialog. Every way out closes the
// files it opened, stores the result and then ends the progress dialog: its last use of the
// context, which the dialog's owner destroys as soon as the progress dialog has ended.

// The thread's body; `context` is the DownloadContext.
void DownloadThread(void* context);

// Selects `page` for the record reads that follow; a failed request ends the download. Both
// return false once the download has ended: the context may then be gone, so the caller must
// not look at it again, not even at its result.
bool SelectPage(DownloadContext& context, int page);

// Reads the records from register offset `first` to `end`, both inclusive, of the selected page
// into the files, in requests of up to 60 records, moving the progress after each and stopping
// at a cancel; a failure ends the download.
bool ReadPageRecords(DownloadContext& context, int first, int end);
