#!/usr/bin/env bash
# Fails when the shared library exports a symbol outside zarn::linegen, apart
# from instantiations of the C++ standard library's own templates, or when the
# count of exported functions is not the expected one (every overload of the
# public header, assign_intervals included).
set -euo pipefail
expected=52
lib=${1:-build/liblinegen.so}
bad=$(nm -D --defined-only -C "$lib" | awk '{ $1=""; $2=""; sub(/^  /, ""); print }' |
  grep -v -E '^zarn::linegen::' |
  grep -v -E '^(std::|void std::|bool std::|.* std::|__gnu_cxx::)' |
  grep -v -E '^(_init|_fini|_edata|_end|__bss_start)$' || true)
count=$(nm -D --defined-only -C "$lib" | grep -c 'zarn::linegen::' || true)
if [ -n "$bad" ]; then
  echo "unexpected exported symbols:"
  echo "$bad"
  exit 1
fi
if [ "$count" -ne "$expected" ]; then
  echo "exports: $count functions of zarn::linegen, expected $expected"
  exit 1
fi
echo "exports: $count functions of zarn::linegen, nothing else of our own"
