// The real entries of group 3: the units of each area and the base
// library's own commands.
#include "dispatch/command_entries.h"

#include "journals/arap_journal.h"
#include "journals/assembly_journal.h"
#include "journals/billing_purchasing_journal.h"
#include "journals/cash_journal.h"
#include "journals/gl_journal.h"
#include "journals/inventory_journal.h"
#include "journals/physical_inventory_journal.h"
#include "periodic/account_budgets.h"
#include "periodic/arap_end_period.h"
#include "periodic/finance_charges.h"
#include "periodic/forecast_calc.h"
#include "periodic/forecast_reports.h"
#include "periodic/gl_end_period.h"
#include "periodic/gl_year_close.h"
#include "periodic/global_change.h"
#include "periodic/online_balance.h"
#include "periodic/price_assignment.h"
#include "periodic/purge_files.h"
#include "periodic/year_end_roll.h"
#include "posting/arap_posting.h"
#include "posting/assembly_posting.h"
#include "posting/billing_purchasing_posting.h"
#include "posting/gl_posting.h"
#include "posting/inventory_posting.h"
#include "posting/physical_inventory_count.h"
#include "posting/physical_inventory_posting.h"
#include "qxabase/commands.h"
#include "reports/arap/aging.h"
#include "reports/arap/audit_trail_log.h"
#include "reports/arap/backorder_status.h"
#include "reports/arap/cash_receipts_disbursements.h"
#include "reports/arap/check_register.h"
#include "reports/arap/checks_to_print.h"
#include "reports/arap/directory.h"
#include "reports/arap/form_1096.h"
#include "reports/arap/form_1099.h"
#include "reports/arap/letters_labels.h"
#include "reports/arap/po_status.h"
#include "reports/arap/purchase_history.h"
#include "reports/arap/statements.h"
#include "reports/arap/vendor_payments.h"
#include "reports/inventory/assembly_component.h"
#include "reports/inventory/count_sheets.h"
#include "reports/inventory/price_breaks.h"
#include "reports/inventory/price_listing.h"
#include "reports/inventory/product_activity.h"
#include "reports/inventory/product_activity_detail.h"
#include "reports/inventory/product_alert.h"
#include "reports/inventory/product_listing.h"
#include "reports/inventory/service_listing.h"
#include "reports/inventory/warehouse_status.h"

namespace qxa3 {

const CommandEntries kCommandEntries = {
    .RunGLJournal = ::RunGLJournal,
    .RunArApJournal = ::RunArApJournal,
    .RunPurchasingJournal = ::RunPurchasingJournal,
    .RunBillingJournal = ::RunBillingJournal,
    .RunAssemblyJournal = ::RunAssemblyJournal,
    .RunPhysicalInventoryJournal = ::RunPhysicalInventoryJournal,
    .RunPOStatusReport = ::RunPOStatusReport,
    .RunCashJournal = ::RunCashJournal,
    .RunCashRecDisReport = ::RunCashRecDisReport,
    .RunChecksToPrint = ::RunChecksToPrint,
    .RunCheckRegister = ::RunCheckRegister,
    .RunOnLineBalance = ::RunOnLineBalance,
    .RunGLPost = ::RunGLPost,
    .RunArApPost = ::RunArApPost,
    .PostCash = ::PostCash,
    .RunBiPoPost = ::RunBiPoPost,
    .RunAssemblyPost = ::RunAssemblyPost,
    .RunPhysicalInventoryPost = ::RunPhysicalInventoryPost,
    .RunInventoryPost = ::RunInventoryPost,
    .RunCustPurchaseHistory = ::RunCustPurchaseHistory,

    .RunCustVendStatements = ::RunCustVendStatements,
    .RunCustVendAging = ::RunCustVendAging,
    .RunCustVendDirectory = ::RunCustVendDirectory,
    .RunCustVendLettersLabels = ::RunCustVendLettersLabels,
    .RunBackorderReport = ::RunBackorderReport,
    .RunVendorPaymentsReport = ::RunVendorPaymentsReport,
    .RunPrint1099 = ::RunPrint1099,

    .RunProductListing = ::RunProductListing,
    .RunServiceListing = ::RunServiceListing,
    .RunProductPriceListing = ::RunProductPriceListing,
    .RunPriceBreaksReport = ::RunPriceBreaksReport,
    .RunProductActivityReport = ::RunProductActivityReport,
    .RunProductAlertReport = ::RunProductAlertReport,
    .RunProductCountSheets = ::RunProductCountSheets,
    .RunProductAssemblyReport = ::RunProductAssemblyReport,
    .RunProductComponentReport = ::RunProductComponentReport,
    .RunProductActivityDetail = ::RunProductActivityDetail,

    .RunGLEndPeriod = ::RunGLEndPeriod,
    .RunEditAccountBudget = ::RunEditAccountBudget,
    .RunGLYearClose = ::RunGLYearClose,
    .PromoPriceReport = ::PromoPriceReport,
    .RunGenerateFinanceCharges = ::RunGenerateFinanceCharges,
    .RunArApEndPeriod = ::RunArApEndPeriod,
    .RunCustVendForecastReport = ::RunCustVendForecastReport,
    .RunCustVendForecastCalc = ::RunCustVendForecastCalc,
    .RunCustVendYearEnd = ::RunCustVendYearEnd,
    .RunPrint1096 = ::RunPrint1096,
    .RunPriceAssignment = ::RunPriceAssignment,
    .RunInventoryForecastReport = ::RunInventoryForecastReport,
    .RunInventoryForecastCalc = ::RunInventoryForecastCalc,
    .RunInventoryYearEnd = ::RunInventoryYearEnd,
    .RunPurgeFiles = ::RunPurgeFiles,
    .RunPhysicalInventoryEntry = ::RunPhysicalInventoryEntry,
    .RunGlobalChange = ::RunGlobalChange,

    .RunAuditTrailLog = ::RunAuditTrailLog,
    .Command395Run = ::Command395Run,
    .MailMergeCustomers = ::MailMergeCustomers,
    .MailMergeVendors = ::MailMergeVendors,
    .RunWarehouseStatusReport = ::RunWarehouseStatusReport,
    .RunInventoryTransactionJournal = ::RunInventoryTransactionJournal,
};

}  // namespace qxa3
