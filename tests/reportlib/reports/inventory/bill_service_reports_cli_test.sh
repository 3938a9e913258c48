#!/usr/bin/env bash
# The assembly report (357), the component report (358) and the service
# listing (351) run through the main program of an installed tree on the
# sample company, as a user runs them from a key script:
#   QX_KEYS=<keys> qxa15 <company> /only /cmd:357
# The key script accepts the selection screen (F10) and runs out; the
# preview's text is in the transcript.  Nothing waits for a key that will
# not come, and the program ends with status 0.
#
#   bill_service_reports_cli_test.sh <build folder>
# Exit status 0 passed, 1 failed, 77 skipped (the program is not built).
set -uo pipefail
. "$(dirname "$0")/../../../support/installed_tree.sh"
installed_tree_begin "$1" qxbillcli

# run <transcript> <command id> <keys>: the command on the key script.
run() {
  printf '%s\n' "$3" >"$work/keys"
  run_unattended "$1" "$2" ""
}

# Every bill of materials of the sample company, assembly by assembly.
run "$work/assembly.txt" 357 "F10" || fail "qxa15 exit status $? (357)"
grep -q "preview: Product Assembly" "$work/assembly.txt" || { cat "$work/assembly.txt"; fail "no assembly report"; }
bills=$("$program/qxdump" "$work/company" bills_of_materials | grep -c '"componentNumber"')
[ "$bills" -gt 0 ] || fail "the sample company has no bills of materials"
for kit in KIT-DESK KIT-CLEAN; do
  grep -Eq "^ $kit +" "$work/assembly.txt" || fail "assembly $kit missing"
done
# The service ASSEMBLY is a component of both kits: its line says it is not
# an assembly, in the service's description.
[ "$(grep -c 'Kit assembly labour' "$work/assembly.txt")" -eq 2 ] || fail "the labour service is not on both kits"
grep -q "message box" "$work/assembly.txt" && { cat "$work/assembly.txt"; fail "a message box was shown"; }

# The reverse: each component once with the assemblies that use it.
run "$work/component.txt" 358 "F10" || fail "qxa15 exit status $? (358)"
grep -q "preview: Product Component" "$work/component.txt" || { cat "$work/component.txt"; fail "no component report"; }
lines=$(grep -Ec 'KIT-(DESK|CLEAN) +(Desk|Cleaning) starter kit' "$work/component.txt")
[ "$lines" -eq "$bills" ] || fail "$lines component lines for $bills bills of materials"

# The service listing by G/L department: a subtotal per department, and the
# subtotals foot to the total.
run "$work/services.txt" 351 "Space Space F10" || fail "qxa15 exit status $? (351)"
grep -q "Sorted by: G/L Department" "$work/services.txt" || { cat "$work/services.txt"; fail "no service listing"; }
total=$(grep -Eo 'Total Services : +[0-9]+' "$work/services.txt" | grep -Eo '[0-9]+$')
sum=$(grep -Eo 'Subtotal [A-Z]+: +[0-9]+' "$work/services.txt" | grep -Eo '[0-9]+$' | awk '{ s += $1 } END { print s + 0 }')
services=$("$program/qxdump" "$work/company" services | grep -c '"code"')
[ "$total" = "$services" ] || fail "total $total, $services services on file"
[ "$sum" = "$total" ] || fail "subtotals $sum do not foot to the total $total"

# A range that selects nothing: the message, no report, status 0.
run "$work/nothing.txt" 357 '"ZZZ" F10 Enter' || fail "qxa15 exit status $? (nothing)"
grep -q "message number: 197" "$work/nothing.txt" || { cat "$work/nothing.txt"; fail "no message 197"; }
grep -q "preview:" "$work/nothing.txt" && fail "a report was shown for an empty range"
echo "passed"
