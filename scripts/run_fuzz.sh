#!/usr/bin/env bash
# Runs every fuzz harness of a build for a bounded time, starting from the
# seed corpus in fuzz/corpus/<harness>/, and prints the executions of each.
# Allocations above 1 GiB fail (return null) instead of killing the run, so a
# request for an astronomically large mesh must come back as a status code.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-20}
export ASAN_OPTIONS=allocator_may_return_null=1:max_allocation_size_mb=1024:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for harness in "$build"/fuzz/fuzz_*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  log="$work/$name.log"
  if "$harness" -max_total_time="$seconds" -malloc_limit_mb=1000000 -rss_limit_mb=4096 -timeout=10 \
      -artifact_prefix="$work/$name-" "$work/$name" >"$log" 2>&1; then
    runs=$(grep -oE 'Done [0-9]+ runs' "$log" | grep -oE '[0-9]+' || echo "?")
    echo "$name: $runs executions in ${seconds}s, no finding"
  else
    echo "$name: FAILED"
    tail -40 "$log"
    for a in "$work/$name"-crash-* "$work/$name"-leak-* "$work/$name"-timeout-* "$work/$name"-oom-*; do
      [ -e "$a" ] && echo "artifact (base64): $(base64 -w0 "$a")"
    done
    status=1
  fi
done
exit $status
