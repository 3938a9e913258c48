// The purchasing (command 304) and billing (command 305) journals: edit
// lists of the unposted purchase orders and invoices.
#pragma once

// Entries of commands 304 and 305, called with the command id.  Each returns
// 0 after a run, 27 when the journal could not be set up or was left with Esc.
int RunPurchasingJournal(int commandId);
int RunBillingJournal(int commandId);
