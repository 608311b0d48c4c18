#!/usr/bin/env bash
# Runs the fuzz harness of a build on every family of calls (one folder of
# fuzz/corpus/ each) for a bounded time, starting from that family's seed
# corpus, and prints the executions of each. Allocations above 1 GiB fail
# (return null) instead of killing the run, so a request for an
# astronomically large mesh must come back as a status code.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-20}
harness="$build/fuzz/fuzz_catalogue"
export ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=1024:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for dir in fuzz/corpus/*/; do
  family=$(basename "$dir")
  mkdir -p "$work/$family"
  cp -r "$dir." "$work/$family/"
  log="$work/$family.log"
  if LINEGEN_FUZZ_FAMILY="$family" "$harness" -max_total_time="$seconds" -malloc_limit_mb=1000000 \
      -rss_limit_mb=4096 -timeout=10 -artifact_prefix="$work/$family-" "$work/$family" >"$log" 2>&1; then
    runs=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' || echo "?")
    echo "$family: $runs executions in ${seconds}s, no finding"
  else
    echo "$family: FAILED"
    tail -40 "$log"
    for a in "$work/$family"-crash-* "$work/$family"-leak-* "$work/$family"-timeout-* "$work/$family"-oom-*; do
      [ -e "$a" ] && echo "artifact (base64): $(base64 -w0 "$a")"
    done
    status=1
  fi
done
exit $status
