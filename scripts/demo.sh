#!/usr/bin/env bash
# Demo: a stand-in controller line on a pseudo-terminal, and the tool pinging displays on it over
# the same serial code path it uses for a real display.
set -euo pipefail
bin=${1:-build/bin}
dir=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
export QVX_PORT_DIR=$dir
# The link waits 3 s per try for a silent display; the demo runs its waits ten times faster.
export QVX_TIME_SCALE=${QVX_TIME_SCALE:-0.1}

echo "== stand-in controllers: COM3 at 115200 baud with displays at addresses 1 and 5;"
echo "   COM4 at 115200 baud with a display at address 2 that speaks the customer protocol"
"$bin/qvx-signsim" --port-dir "$dir" --port 3 --rate 115200 --addr 1,5 \
  --port 4 --rate 115200 --addr 2 --protocol pellworth >"$dir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do
  grep -q '^COM4 ' "$dir/sim.out" 2>/dev/null && break
  sleep 0.05
done
cat "$dir/sim.out"

run() {
  echo
  echo "\$ qvxfirminstaller $*"
  set +e
  "$bin/qvxfirminstaller" "$@"
  echo "(exit status $?)"
  set -e
}
run -ping COM3:5
run -ping COM3
run -ping COM3:7
run -b 19200 -ping COM3:1
run -ping COM9:1
run -info COM4:2
run -b 115200 -info COM3:5
