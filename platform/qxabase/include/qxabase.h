// QxaBase, the base library every command calls.
//
// Include this header; the parts are:
//   qxabase/app_block.h     SharedAppBlock, the application state of the run
//   qxabase/commands.h      command routing by group, the command bracket,
//                           modules, the commands the library serves itself
//   qxabase/access.h        access rights and the command lock
//   qxabase/files.h         file sets, paths and table names, temporary files
//   qxabase/settings.h      settings records, system settings, fiscal periods
//   qxabase/messages.h      messages and texts by number, captions, the
//                           record-manager error box, wait windows
//   qxabase/form_helpers.h  form set-up, yes/no fields, range-field ends
//   qxabase/status_box.h    the progress box of long runs
//   qxabase/dictionary.h    the data dictionary of fields, temporary indexes
//   qxabase/tables.h        table classes and active-record tables
//   qxabase/unposted.h      unposted transactions per ledger and their list
//   qxabase/journal_services.h  the journals' column dictionary, pick windows
//                           and range bounds
//   qxabase/tran_comments.h the comments kept with entered transactions
//   qxabase/audit_log.h     the audit trail log
//   qxabase/accounts.h      G/L account checks
//   qxabase/time_link.h     the time-billing link
//   qxabase/report.h        the report writer
//   qxabase/drilldown.h     drill-down descriptors and the saved run
//   qxabase/posting.h       the posting services
//   qxabase/recpay_posting.h  receivables and payables posting's own services
//   qxabase/bipo_posting.h  billing and purchasing posting's own services
//   qxabase/prompt_answers.h  warnings the user asked not to be shown again
//   qxabase/open_invoices.h open-invoice lines and headers of the postings
//   qxabase/online_gl.h     the general ledger on line (CBaseGL)
//   qxabase/report_mru.h    remembered report parameters
//   qxabase/aging.h         open items aged, the account-aging block
//   qxabase/pick_lists.h    pick lists of customers, vendors, salespeople
//   qxabase/startup.h       the main program's start-up services
//   qxabase/text_merge.h    texts of statements, letters and labels; their merge
//   qxabase/letters.h       their form settings, label stocks and label pages
// Everything runs on the program's UI thread.
#pragma once

#include "qxabase/access.h"
#include "qxabase/accounts.h"
#include "qxabase/aging.h"
#include "qxabase/app_block.h"
#include "qxabase/audit_log.h"
#include "qxabase/bipo_posting.h"
#include "qxabase/commands.h"
#include "qxabase/dictionary.h"
#include "qxabase/drilldown.h"
#include "qxabase/files.h"
#include "qxabase/form_helpers.h"
#include "qxabase/journal_services.h"
#include "qxabase/letters.h"
#include "qxabase/messages.h"
#include "qxabase/online_gl.h"
#include "qxabase/open_invoices.h"
#include "qxabase/pick_lists.h"
#include "qxabase/posting.h"
#include "qxabase/prompt_answers.h"
#include "qxabase/recpay_posting.h"
#include "qxabase/report.h"
#include "qxabase/report_mru.h"
#include "qxabase/settings.h"
#include "qxabase/startup.h"
#include "qxabase/status_box.h"
#include "qxabase/tables.h"
#include "qxabase/text_merge.h"
#include "qxabase/time_link.h"
#include "qxabase/tran_comments.h"
#include "qxabase/unposted.h"
