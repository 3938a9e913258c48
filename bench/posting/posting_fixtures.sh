#!/bin/bash
# Writes a small generated company of each posting benchmark as a fixture,
# for compare_postings.sh, and prints each fixture with the day its
# postings run on ("<fixture>:<yyyy-mm-dd>", one a line).
#
#   bench/posting/posting_fixtures.sh <build folder> <output folder>
#
# e.g. bench/posting/compare_postings.sh A/program B/program \
#        $(bench/posting/posting_fixtures.sh build/release /tmp/fixtures)
set -eu
[ $# -eq 2 ] || { sed -n '2,9p' "$0"; exit 2; }
build=$1 out=$2
mkdir -p "$out"
QX_BENCH_FIXTURE=$out QX_BENCH_TRANSACTIONS=2000 "$build/bench/posting/gl_posting_bench"
QX_BENCH_FIXTURE=$out QX_BENCH_INVOICES=300 "$build/bench/posting/bipo_posting_bench"
QX_BENCH_FIXTURE=$out QX_BENCH_TRANSACTIONS=2000 "$build/bench/posting/inventory_posting_bench"
QX_BENCH_FIXTURE=$out QX_BENCH_CHARGES=2000 "$build/bench/periodic/finance_charges_bench"
