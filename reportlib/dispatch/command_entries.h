// The entries the command table of group 3 reaches: one function pointer per
// entry, named as the entry is.
//
// The dispatcher reaches every entry through a CommandEntries set, so that a
// test can hand the frame a set of recording entries in place of the real
// units.  kCommandEntries holds the real ones: the units of journals,
// posting, period-end and reports (declared in the header of their area,
// e.g. "posting/gl_posting.h"), and the base library's own commands.
// Members follow the order of the commands that first use them.
#pragma once

namespace qxa3 {

struct CommandEntries {
  // Journals, cash reports and posting (301-329).
  int (*RunGLJournal)(const char* parameterText);
  int (*RunArApJournal)(int commandId);
  int (*RunPurchasingJournal)(int commandId);
  int (*RunBillingJournal)(int commandId);
  int (*RunAssemblyJournal)();
  int (*RunPhysicalInventoryJournal)();
  int (*RunPOStatusReport)();
  int (*RunCashJournal)();
  int (*RunCashRecDisReport)(char kind);
  int (*RunChecksToPrint)();
  int (*RunCheckRegister)();
  int (*RunOnLineBalance)();
  int (*RunGLPost)();
  int (*RunArApPost)(int receivables);
  int (*PostCash)();
  int (*RunBiPoPost)(int purchasing);
  int (*RunAssemblyPost)();
  int (*RunPhysicalInventoryPost)();
  int (*RunInventoryPost)();
  int (*RunCustPurchaseHistory)(const char* parameterText);

  // Customer and vendor reports (336-349).
  int (*RunCustVendStatements)(int commandId);
  int (*RunCustVendAging)(int commandId, const char* parameterText);
  int (*RunCustVendDirectory)(int commandId, const char* parameterText);
  int (*RunCustVendLettersLabels)(int commandId, int reserved);
  int (*RunBackorderReport)(const char* parameterText);
  int (*RunVendorPaymentsReport)();
  int (*RunPrint1099)();

  // Product reports (350-359).
  int (*RunProductListing)(const char* parameterText);
  int (*RunServiceListing)();
  int (*RunProductPriceListing)();
  int (*RunPriceBreaksReport)();
  int (*RunProductActivityReport)(const char* parameterText);
  int (*RunProductAlertReport)();
  int (*RunProductCountSheets)();
  int (*RunProductAssemblyReport)();
  int (*RunProductComponentReport)();
  int (*RunProductActivityDetail)(const char* parameterText);

  // Period-end and periodic processing (360-393), with the 1096 form.
  int (*RunGLEndPeriod)();
  int (*RunEditAccountBudget)();
  int (*RunGLYearClose)();
  int (*PromoPriceReport)(int reserved);
  int (*RunGenerateFinanceCharges)();
  int (*RunArApEndPeriod)(int commandId);
  int (*RunCustVendForecastReport)(int commandId);
  int (*RunCustVendForecastCalc)(int commandId);
  int (*RunCustVendYearEnd)(int fileNo);
  int (*RunPrint1096)(const char* batchName);
  int (*RunPriceAssignment)();
  int (*RunInventoryForecastReport)(int commandId);
  int (*RunInventoryForecastCalc)(int commandId);
  int (*RunInventoryYearEnd)();
  int (*RunPurgeFiles)();
  int (*RunPhysicalInventoryEntry)();
  int (*RunGlobalChange)();

  // Audit log, mail merge, warehouse status, inventory journal (394-399).
  int (*RunAuditTrailLog)();
  int (*Command395Run)();
  int (*MailMergeCustomers)(int reserved);
  int (*MailMergeVendors)(int reserved);
  int (*RunWarehouseStatusReport)();
  int (*RunInventoryTransactionJournal)();
};

// The real entries of the library.
extern const CommandEntries kCommandEntries;

}  // namespace qxa3
