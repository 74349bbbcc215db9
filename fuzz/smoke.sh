#!/bin/sh
# Runs every built fuzzer for a short while from its committed seeds (fuzz/corpus/<target>/) and
# fails on the first crash, hang, leak or sanitizer report. New inputs go to a scratch folder, so
# the committed seeds stay as they are.
#   FUZZ_BIN=<folder of the built fuzzers> fuzz/smoke.sh [SECONDS]      default 30 seconds per target
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${1:-30}
OUT=${FUZZ_BIN:-$ROOT/build-fuzz}
status=0
for corpus in "$ROOT"/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    fuzzer="$OUT/${target}_fuzzer"
    [ -x "$fuzzer" ] || { echo "fuzz smoke: $fuzzer is not built"; status=1; continue; }
    scratch=$(mktemp -d)
    echo "fuzz smoke: $target for $SECONDS_EACH s"
    if "$fuzzer" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$OUT/smoke-$target-" "$scratch" "$corpus" >"$OUT/smoke-$target.log" 2>&1; then
        grep -E "^stat::number_of_executed_units" "$OUT/smoke-$target.log" || true
    else
        echo "fuzz smoke: $target FAILED; the end of its log:"
        tail -40 "$OUT/smoke-$target.log"
        status=1
    fi
    rm -rf "$scratch"
done
exit $status
