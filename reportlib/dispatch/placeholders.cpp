// Entries whose units are not part of the library yet.  Each tells the user
// so and returns 0.  The unit's header already declares its entry: whoever
// lands a unit deletes its line here.
#include "dispatch/not_available.h"
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
#include "reports/arap/aging.h"
#include "reports/arap/audit_trail_log.h"
#include "reports/arap/backorder_status.h"
#include "reports/arap/cash_receipts_disbursements.h"
#include "reports/arap/check_register.h"
#include "reports/arap/checks_to_print.h"
#include "reports/arap/directory.h"
#include "reports/arap/form_1096.h"
#include "reports/arap/form_1099.h"
#include "reports/arap/po_status.h"
#include "reports/arap/purchase_history.h"
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

using qxa3::NotAvailableYet;

// Journals.

// Posting.

// Period-end and periodic processing.

// Receivables, payables, cash and audit reports.

// Inventory and product reports.
