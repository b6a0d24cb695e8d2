#!/usr/bin/env bash
# Installs the protocol library from a build tree into a scratch prefix, builds the example program
# on its own against that copy (find_package), and runs it against a stand-in controller.
#   install_example.sh <build dir> <source dir> <qvx-signsim> [compiler and linker flags]
set -euo pipefail
build=$1 src=$2 sim=$3 flags=${4:-}
work=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
test -f "$work/prefix/include/s22network/S22Network.h"
test -f "$work/prefix/share/doc/s22network/README.md"
# A program that asks for C++11 still gets the C++14 the headers need from the library's target.
cmake -S "$src/examples" -B "$work/example" -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_CXX_STANDARD=11 \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/example" >/dev/null
# Without CMake, pkg-config gives the flags.
pc_dir=$(dirname "$(find "$work/prefix" -name s22network.pc)")
pc_flags=$(PKG_CONFIG_PATH="$pc_dir" pkg-config --cflags --libs s22network)
# shellcheck disable=SC2086 # the flags are words
g++ -std=c++14 $flags -o "$work/example-pc" "$src/examples/s22network_example.cpp" $pc_flags
# The program must use the installed library, not the build tree's. (ldd's output is taken whole
# first: grep -q stopping early would give ldd a broken pipe, which pipefail counts as failure.)
libraries=$(ldd "$work/example/s22network-example")
if ! grep -q "$work/prefix/.*libs22network" <<<"$libraries"; then
  echo "the example does not use the installed library:"; echo "$libraries"; exit 1
fi

mkdir "$work/ports"
"$sim" --port-dir "$work/ports" --port 4 --rate 57600 --addr 3 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 200); do
  grep -q '^COM4 ' "$work/sim.out" 2>/dev/null && break
  sleep 0.05
done

QVX_PORT_DIR="$work/ports" "$work/example/s22network-example" 4 3 57600 >"$work/out.txt"
LD_LIBRARY_PATH=$(dirname "$(find "$work/prefix" -name 'libs22network.so' | head -n 1)") \
  QVX_PORT_DIR="$work/ports" "$work/example-pc" 4 3 57600 >"$work/out-pc.txt"
expected='connect    S22NET_OK
ping       S22NET_OK
send       S22NET_OK
get        S22NET_OK
compare    same bytes'
for out in "$work/out.txt" "$work/out-pc.txt"; do
  if [ "$(cat "$out")" != "$expected" ]; then
    echo "unexpected output of $(basename "$out"):"; cat "$out"; exit 1
  fi
done
echo "example ran against the installed library"
