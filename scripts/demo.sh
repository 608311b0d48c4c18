#!/usr/bin/env bash
# Runs the demo from a build folder.
set -euo pipefail
build=${1:-build}
if [ -x "$build/tools/linegen/linegen" ]; then
  "$build/tools/linegen/linegen" demo
else
  "$build/examples/extrude_demo"
fi
