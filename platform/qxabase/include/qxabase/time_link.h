// The time-billing link: hands each receipt or payment that receivables and
// payables posting posts to the time-billing product's data.
//
// The link is inactive unless configured: TimeLinkConfigure (or the
// environment variable QX_TIMELINK) names the folder of the time-billing
// data, where each posted transaction is appended as one line
// ("qxtimelink.txt": ledger, transaction, customer or vendor, invoice, date,
// reference).  While inactive every call succeeds and does nothing, so that
// posting runs as without the link.  A test may install a recorder, which
// makes the link active and records each call instead of writing.
//
// Call order of the posting (every call on the UI thread):
//   TimeLinkInit; [TimeLinkReady]; when TimeLinkActive: TimeLinkConnect,
//   TimeLinkBusy, TimeLinkLogin, TimeLinkCheck, TimeLinkPrepare; per posted
//   transaction when TimeLinkPost() is 0: TimeLinkRecordOpen, TimeLinkRecordNew,
//   TimeLinkFieldSetInt, TimeLinkFieldSet (12 first, 6 next until 9),
//   TimeLinkRecordKey/TimeLinkRecordRef, TimeLinkRecordSave, TimeLinkRecordClose;
//   at the end TimeLinkEnd, TimeLinkFlush, TimeLinkRelease.
#pragma once

#include <string>
#include <vector>

#include "ravadodo.h"

// Configuration: the time-billing data folder; null or "" makes the link
// inactive.
void TimeLinkConfigure(const char* folder);

// For tests: records every call ("TimeLinkConnect", "write AR 1001 ...")
// into `calls` and makes the link active; null removes the recorder.
void TimeLinkSetRecorder(std::vector<std::string>* calls);

int TimeLinkInit();    // 0
int TimeLinkReady();   // 1 when postings may run (always, unless the link is configured but its folder is missing)
int TimeLinkActive();  // 1 while the link is configured
// Connects to the data in `dataFolder` (null: the configured folder).
// Returns 0, or non-zero when it cannot (TimeLinkErrorText tells why).
int TimeLinkConnect(int mode, const char* dataFolder, const char* argument);
int TimeLinkBusy();                       // 0: nobody else holds the link
int TimeLinkEnd(int mode, int completed); // 0
void TimeLinkRelease();
void* TimeLinkWindowArg(Window* window);  // the owner of the link's log-in window
int TimeLinkLogin(void* windowArg);       // non-zero when logged in
int TimeLinkCheck();                      // 0 when the data is usable
int TimeLinkPrepare();                    // non-zero when ready to take transactions
int TimeLinkPost();                       // 0: hand posted transactions to the link

// One transaction.  `header` is a receivables or payables transaction header
// (records::TagRecPayHeader); `ledger` 1 receivables, 2 payables (kept by
// TimeLinkFieldSetInt(ledger, 5, header, 0)).
void* TimeLinkRecordOpen();
void* TimeLinkRecordNew();
int TimeLinkFieldSetInt(int ledger, int kind, const void* header, int reserved);
// 12 the first field, 6 the next: 0 while there is one, 9 at the end.
int TimeLinkFieldSet(int which, void* context, char* buffer);
int TimeLinkRecordKey(void* entry);
int TimeLinkRecordRef(void* entry);
int TimeLinkRecordSave(void* context);    // writes the transaction; 0 or an error
int TimeLinkRecordClose(int, int, int, int saveResult);

// The text of the last error into `buffer` ("" when none).  Returns its length.
int TimeLinkErrorText(char* buffer, int size);
void TimeLinkFlush();
