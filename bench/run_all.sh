#!/bin/bash
# Runs every posting and report benchmark of a build one after another and
# prints the tables they end with (each run's figures beside its floors).
#
#   bench/run_all.sh <build folder> [log file]
#
# The sizes are the benchmarks' defaults unless the environment names
# others (QX_BENCH_TRANSACTIONS, QX_BENCH_INVOICES, QX_BENCH_CHARGES,
# QX_BENCH_1099, QX_BENCH_CASH, QX_BENCH_OPEN_ITEMS; the inventory and the
# activity detail read QX_BENCH_INVENTORY and QX_BENCH_ACTIVITY here).
set -u
[ $# -ge 1 ] || { sed -n '2,10p' "$0"; exit 2; }
build=$1
log=${2:-/dev/null}
run() {  # run <benchmark> [VAR=value...]
  local bench=$1
  shift
  echo "=== $bench $*"
  env "$@" "$build/bench/$bench" 2>&1 | tee -a "$log" | sed 's/\x1b\[[0-9;]*m//g' |
    awk '/^(post|billing|purchasing|all) \(dated|^ *[a-z ]+s +[a-z_]+ (us|ms)|^ +[0-9]+ /'
}
run posting/gl_posting_bench
run posting/bipo_posting_bench
run posting/inventory_posting_bench QX_BENCH_TRANSACTIONS="${QX_BENCH_INVENTORY:-10000,100000}"
run periodic/finance_charges_bench
run reports/form_1099_bench
run reports/product_activity_bench QX_BENCH_TRANSACTIONS="${QX_BENCH_ACTIVITY:-20000,200000}"
run reports/cash_receipts_bench
run reports/statements_bench
