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
cmake -S "$src/examples" -B "$work/example" -DCMAKE_PREFIX_PATH="$work/prefix" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$work/example" >/dev/null
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
expected='connect    S22NET_OK
ping       S22NET_OK
send       S22NET_OK
get        S22NET_OK
compare    same bytes'
if [ "$(cat "$work/out.txt")" != "$expected" ]; then
  echo "unexpected output:"; cat "$work/out.txt"; exit 1
fi
echo "example ran against the installed library"
