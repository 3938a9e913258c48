// The exported functions of libQxOffice.so.  Nothing is thrown past them.
#include "qxoffice.h"

#include <string>

#include "automation/messages.h"
#include "mail_merge_automation.h"
#include "oemtext.h"
#include "spreadsheet_automation.h"

namespace {

// The connections live as long as the library is loaded.
qx::office::SpreadsheetAutomation& Spreadsheets() {
  static qx::office::SpreadsheetAutomation spreadsheets;
  return spreadsheets;
}

}  // namespace

extern "C" QXOFFICE_API int QxExcelAutomation(SpreadsheetRequest* request) {
  try {
    return Spreadsheets().Run(request);
  } catch (...) {
    return request ? qx::office::SpreadsheetFailureResult(request->operation) : 0;
  }
}

extern "C" QXOFFICE_API int QxMailMergeAutomation(MailMergeRequest* request) {
  // Run() catches everything itself; each call has its own connection.
  return qx::office::MailMergeAutomation().Run(request);
}

extern "C" QXOFFICE_API void QxOfficeSetMessageHook(QxOfficeMessageHook hook, void* context) {
  try {
    if (!hook) {
      qx::automation::SetMessageSink({});
      return;
    }
    qx::automation::SetMessageSink([hook, context](std::string_view text, unsigned style, unsigned helpContext) {
      const std::string cp437 = oem::FromUtf8(text);
      return hook(context, cp437.c_str(), style, helpContext);
    });
  } catch (...) {
    // Only memory can fail here; the previous hook stays.
  }
}
