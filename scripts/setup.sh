#!/usr/bin/env bash
# Installs the Debian packages that building and testing linegen needs, when
# any is missing. Run as root on Debian 12 (or with sudo available).
set -euo pipefail

packages=(build-essential cmake pkg-config liblapack-dev libgtest-dev libgmock-dev
          libbenchmark-dev nlohmann-json3-dev clang-format clang libclang-rt-14-dev
          python3-dev python3-venv python3-pip pybind11-dev python3-pybind11 python3-numpy
          python3-pytest python3-skbuild python3-meshio python3-matplotlib gmsh)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
