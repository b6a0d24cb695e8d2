#!/usr/bin/env bash
# Runs the Windows build under Wine against the stand-in controller, through Wine's COM ports:
# the Windows test programs (ctest in the Windows build), the window's test programs on an Xvfb
# display, then the Windows tool itself: -info, and the unattended job over a small store, whose
# log must read line for line as the Linux tool's (times aside) and whose exit status must be the
# same; its session record, replayed to the Linux tool, must give that log and status again.
#
#   scripts/wine-tests.sh WIN_BUILD_DIR LINUX_BIN_DIR [--screenshots FOLDER]
#
# With --screenshots it only draws the window's pictures into FOLDER (make screenshots-windows).
set -euo pipefail
win=$(cd "${1:-build-win}" && pwd)
linux=$(cd "${2:-build/bin}" && pwd)
pictures=""
if [ "${3:-}" = "--screenshots" ]; then
  mkdir -p "$4"
  pictures=$(cd "$4" && pwd)
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "no $wine: install wine64 (scripts/deps.sh --wine)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/qvx-wine.XXXXXX")
sim_pid=""
xvfb_pid=""
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    sim_pid=""
  fi
}
cleanup() {
  stop_sim
  WINEPREFIX=$work/prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export QVX_TIME_SCALE=${QVX_TIME_SCALE:-0.1}
export QVX_PORT_DIR=$work/ports # the Linux tool's COM ports; Wine's are its dosdevices links
echo "== Wine prefix (QVX_TIME_SCALE=$QVX_TIME_SCALE)"
started=$(date +%s)
# The window's display: a virtual X server of its own, on the first free display number.
command -v Xvfb >/dev/null || { echo "no Xvfb: install xvfb (scripts/deps.sh --wine)" >&2; exit 2; }
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.out" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  if kill -0 "$xvfb_pid" 2>/dev/null; then export DISPLAY=":$n"; break; fi
  xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { cat "$work/xvfb.out" >&2; echo "Xvfb did not start" >&2; exit 2; }
"$wine" wineboot -i >/dev/null 2>&1 || true
# A server that stays up, and one program run through it: a starting server puts its own COM links
# back (com1 -> /dev/ttyS0), which would replace ours.
/usr/lib/wine/wineserver -w
/usr/lib/wine/wineserver -p 2>/dev/null
"$wine" cmd /c exit >/dev/null 2>&1 || true

# Starts the stand-in controller with the given ports and maps Wine's COM ports to its ptys.
start_sim() {
  stop_sim
  rm -rf "$work/ports"
  mkdir -p "$work/ports"
  "$linux/qvx-signsim" --port-dir "$work/ports" "$@" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  local want
  want=$(printf '%s\n' "$@" | grep -c -- '^--port$' || true)
  # A replay publishes every port its record opens.
  [ "${1:-}" = "--replay" ] && want=$(grep -o ' open COM[0-9]*' "$2" | sort -u | wc -l)
  for _ in $(seq 1 200); do
    [ "$(grep -c '^COM' "$work/sim.out" 2>/dev/null || true)" -ge "$want" ] && break
    sleep 0.05
  done
  rm -f "$WINEPREFIX"/dosdevices/com*
  for link in "$work"/ports/COM*; do
    [ -e "$link" ] || continue
    n=${link##*/COM}
    ln -s "$(readlink -f "$link")" "$WINEPREFIX/dosdevices/com$n"
    # Listed where Windows lists its serial ports, as a plugged-in adapter is.
    "$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v "\\Device\\QvxSerial$n" /t REG_SZ /d "COM$n" /f \
      >/dev/null 2>&1 || true
  done
}

status=0
fail() { echo "FAILED: $*"; status=1; }

# The window tests' line (tests/winwindow/WindowLine.h): COM1 with a display on the recommended
# firmware at 1 and one on older firmware in zone +06:30 at 4, every block taking its wire time;
# COM2 a loop-back plug; COM3 a display on older firmware for the program's own test.
window_line=(--port 1 --rate 115200 --line-time --addr 1 --addr 4 --firmware FX40211-1.01.05 --zone 390
             --port 2 --rate 19200 --loopback --port 3 --rate 115200 --addr 1 --firmware FX40211-1.01.05)

if [ -n "$pictures" ]; then
  start_sim "${window_line[@]}"
  echo "== the window's pictures into $pictures"
  # On a desktop of Wine's own, which draws the windows' frames and title bars (Xvfb alone has no
  # window manager to draw them).
  for program in qvx_win_screenshots qvx_win_wizard_screenshots; do
    "$wine" explorer /desktop=pictures,1280x1024 "$win/bin/$program.exe" "$(echo "Z:$pictures" | tr / '\\')" ||
      fail "the window's pictures ($program)"
  done
  exit $status
fi

# 1. The Windows test programs. COM1: a display at address 1 and a silent one at 2; no COM9.
start_sim --port 1 --rate 115200 --addr 1,2 --fault 2:drop-reply
echo "== Windows test programs (ctest under Wine)"
(cd "$win" && QVX_WINE_TESTS=1 ctest --output-on-failure -j 2 -LE wine-window) || fail "Windows test programs"

# 2. The window's test programs, one at a time (they share the line), on the Xvfb display.
# (Counted whole: grep -q would stop reading early, and under pipefail ctest's broken pipe would
# read as no window tests.)
window_tests=$(cd "$win" && ctest -N -L wine-window | grep -c "Test *#" || true)
if [ "$window_tests" -gt 0 ]; then
  # The program's own test starts the packaged program, as a technician unzips and starts it.
  scripts_dir=$(cd "$(dirname "$0")" && pwd)
  packaged=$("$scripts_dir/windows-package.sh" "$win" "$work/package")
  zip=${packaged%%$'\n'*}
  mkdir -p "$work/unzipped" && (cd "$work/unzipped" && unzip -q "$zip")
  tool=$(ls "$work"/unzipped/*/bin/qvxfirminstaller.exe)
  start_sim "${window_line[@]}"
  echo "== the window's test programs (ctest under Wine, Xvfb display $DISPLAY; the program from $(basename "$zip"))"
  (cd "$win" && QVX_WINE_TESTS=1 QVX_TOOL_EXE="Z:$(echo "$tool" | tr / '\\')" ctest --output-on-failure -j 1 -L wine-window) ||
    fail "the window's test programs"
fi

# 3. The Windows tool against the same store as the Linux tool.
source "$(dirname "$0")/demo-store.sh"
write_demo_display_list "$work/Displays.dat"
store=("${demo_store[@]}")
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

echo "== -info under Wine"
start_sim "${store[@]}"
set +e
"$wine" "$win/bin/qvxfirminstaller.exe" -b 19200 -info COM1:2 >"$work/info.out" 2>&1
info_status=$?
set -e
grep -q "Firmware Version" "$work/info.out" && [ "$info_status" -eq 0 ] || { cat "$work/info.out"; fail "-info"; }

echo "== the unattended job: Linux, then Windows, on fresh stand-in controllers"
start_sim "${store[@]}"
set +e
"$linux/qvxfirminstaller" -s -df "$work/Displays.dat" -l1 -lf "$work/linux.log"
linux_status=$?
start_sim "${store[@]}"
"$wine" "$win/bin/qvxfirminstaller.exe" -s -df "$(winpath "$work/Displays.dat")" -l1 -lf "$(winpath "$work/windows.log")" \
  -record "$(winpath "$work/windows.rec")"
windows_status=$?
set -e
stop_sim
# Times differ; the lines, their order and the job line must not.
strip() { sed -e 's/^.*~  //' -e 's/\r$//' "$1"; }
if diff <(strip "$work/linux.log") <(strip "$work/windows.log") >"$work/log.diff"; then
  echo "logs: the same $(wc -l <"$work/linux.log") lines; exit status Linux $linux_status, Windows $windows_status"
else
  cat "$work/log.diff"
  fail "the Windows job's log differs from the Linux job's"
fi
[ "$linux_status" -eq "$windows_status" ] || fail "exit status: Linux $linux_status, Windows $windows_status"

echo "== the Windows job's session record replayed on Linux: the same job against it"
grep -q '^# started .*, windows$' "$work/windows.rec" || fail "the Windows job's session record has no Windows header"
start_sim --replay "$work/windows.rec"
set +e
"$linux/qvxfirminstaller" -s -df "$work/Displays.dat" -l1 -lf "$work/replayed.log"
replayed_status=$?
set -e
stop_sim
if diff <(strip "$work/windows.log") <(strip "$work/replayed.log") >"$work/replay.diff" &&
   ! grep -q "not answered" "$work/sim.out"; then
  echo "replayed log: the same $(wc -l <"$work/replayed.log") lines from $(grep -c ' -> ' "$work/windows.rec") recorded requests; exit status $replayed_status"
else
  cat "$work/replay.diff"
  grep -m 5 "not answered" "$work/sim.out" || true
  fail "the Linux job against the Windows record's replay differs from the Windows job"
fi
[ "$replayed_status" -eq "$windows_status" ] || fail "exit status: Windows $windows_status, replayed on Linux $replayed_status"

echo "== the Windows job with -parallel: both lines at once, each display's task whole"
start_sim "${store[@]}"
set +e
"$wine" "$win/bin/qvxfirminstaller.exe" -s -parallel -df "$(winpath "$work/Displays.dat")" -l1 \
  -lf "$(winpath "$work/parallel.log")"
parallel_status=$?
set -e
stop_sim
# The tasks come in the order the displays finish: the same lines, once sorted, and the same end.
if diff <(strip "$work/linux.log" | sort) <(strip "$work/parallel.log" | sort) >"$work/parallel.diff" &&
   [ "$(strip "$work/linux.log" | tail -2)" = "$(strip "$work/parallel.log" | tail -2)" ]; then
  echo "parallel log: the same $(wc -l <"$work/parallel.log") lines once sorted, the same job line; exit status $parallel_status"
else
  cat "$work/parallel.diff"
  fail "the Windows parallel job's log differs from the Linux job's"
fi
[ "$parallel_status" -eq "$linux_status" ] || fail "exit status: Linux $linux_status, Windows -parallel $parallel_status"
echo "== test-windows took $(( $(date +%s) - started )) s"
exit $status
