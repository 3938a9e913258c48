// The names the reports print for the kinds of an entered inventory
// adjustment (source 'T' of the inventory transaction file): the kind digit
// says what the adjustment moves.
#pragma once

// "IA-IncQty." quantity in (1), "IA-Trans." a transfer (2 out, 6 in),
// "IA-DecQty." quantity out (5), "IA-IncVal." / "IA-DecVal." the value
// raised or lowered (7, 8); any other kind "Inventory".
inline const char* AdjustmentKindName(char kind) {
  switch (kind) {
    case '1': return "IA-IncQty.";
    case '2': case '6': return "IA-Trans.";
    case '5': return "IA-DecQty.";
    case '7': return "IA-IncVal.";
    case '8': return "IA-DecVal.";
    default: return "Inventory";
  }
}
