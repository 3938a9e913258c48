// The audit trail log report (command 394).
#pragma once

// Entry of command 394.  Returns 0.
int RunAuditTrailLog();
