#!/usr/bin/env bash
# Builds the library at OLD_REV and at NEW_REV (default: the working tree),
# runs dump_calls (this tree's source) against each and compares the hashes.
#   bash bench/compare/compare.sh OLD_REV [NEW_REV]
# Prints "identical: N overloads" (exit 0) or the overloads that differ (exit 1).
# DUMP_ARGS passes options to dump_calls (e.g. DUMP_ARGS=--verbose lists the
# differing cases).
# KEEP=1 keeps the temporary folder.
# JOBS="JOB SIZE RUNS [ARG];..." also times those time_jobs jobs on the old and
# the new build alternately, ROUNDS rounds (default 3), one line per run:
#   JOBS="spline 1000 201 20;straight 1000000 41" bash bench/compare/compare.sh 083a3dc
set -euo pipefail
old=${1:?usage: compare.sh OLD_REV [NEW_REV]}
new=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/linegen-compare.XXXXXX")
cleanup() { if [[ ${KEEP:-0} == 1 ]]; then echo "kept $tmp" >&2; else rm -rf "$tmp"; fi; }
trap cleanup EXIT

# side NAME SOURCE_DIR: builds the library and dump_calls, writes NAME.txt.
side() {
  local name=$1 src=$2
  cmake -S "$src" -B "$tmp/$name-lib" -DCMAKE_BUILD_TYPE=Release -DLINEGEN_BUILD_TESTS=OFF \
    -DLINEGEN_BUILD_BENCH=OFF -DLINEGEN_BUILD_TOOLS=OFF -DLINEGEN_BUILD_FUZZ=OFF >"$tmp/$name.log"
  cmake --build "$tmp/$name-lib" -j2 --target linegen >>"$tmp/$name.log"
  cmake -S "$here" -B "$tmp/$name-dump" -DCMAKE_BUILD_TYPE=Release -DLINEGEN_SOURCE_DIR="$src" \
    -DLINEGEN_LIBRARY_DIR="$tmp/$name-lib" >>"$tmp/$name.log"
  cmake --build "$tmp/$name-dump" -j2 >>"$tmp/$name.log"
  # shellcheck disable=SC2086
  "$tmp/$name-dump/dump_calls" ${DUMP_ARGS:-} >"$tmp/$name.txt"
}

mkdir "$tmp/old-src"
git -C "$repo" archive "$old" | tar -x -C "$tmp/old-src"
side old "$tmp/old-src" || { echo "build or run at $old failed: see old.log" >&2; KEEP=1; exit 2; }
if [[ -n $new ]]; then
  mkdir "$tmp/new-src"
  git -C "$repo" archive "$new" | tar -x -C "$tmp/new-src"
  side new "$tmp/new-src" || { echo "build or run at $new failed: see new.log" >&2; KEEP=1; exit 2; }
else
  side new "$repo" || { echo "build or run of the working tree failed: see new.log" >&2; KEEP=1; exit 2; }
fi

if [[ -n ${JOBS:-} ]]; then
  IFS=';' read -ra jobs <<<"$JOBS"
  for ((round = 1; round <= ${ROUNDS:-3}; round++)); do
    for job in "${jobs[@]}"; do
      for name in old new; do
        # shellcheck disable=SC2086
        echo "$round $name $("$tmp/$name-dump/time_jobs" $job)"
      done
    done
  done
fi

if diff "$tmp/old.txt" "$tmp/new.txt" >"$tmp/diff.txt"; then
  echo "identical: $(wc -l <"$tmp/new.txt") overloads"
else
  # The differing lines of the new side without their hashes: overload names,
  # or with DUMP_ARGS=--verbose also each differing case and its new status.
  echo "differ: $(grep -c '^>' "$tmp/diff.txt") of $(wc -l <"$tmp/new.txt") lines"
  grep '^>' "$tmp/diff.txt" | awk '{$1 = ""; $NF = ""; print}'
  exit 1
fi
