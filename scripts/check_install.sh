#!/usr/bin/env bash
# Installs the library into a temporary prefix and builds the example host
# against it twice: with find_package(linegen) and with pkg-config.
set -euo pipefail
build=${1:-build}
src=$(pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

host=$(mktemp -d)
cat >"$host/CMakeLists.txt" <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(host CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(linegen CONFIG REQUIRED)
add_executable(host $src/examples/extrude_demo.cpp)
target_link_libraries(host linegen::linegen)
CMAKE
cmake -S "$host" -B "$host/build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$host/build" >/dev/null
"$host/build/host" >/dev/null
echo "find_package host: ok"

pc_dir=$(dirname "$(find "$prefix" -name linegen.pc | head -1)")
g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror "$src/examples/extrude_demo.cpp" -o "$host/pc_host" \
  $(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs linegen)
# The .pc file sets no run path: the host finds the library as a user would.
LD_LIBRARY_PATH="$(PKG_CONFIG_PATH="$pc_dir" pkg-config --variable=libdir linegen)" "$host/pc_host" >/dev/null
echo "pkg-config host: ok"
rm -rf "$host"
