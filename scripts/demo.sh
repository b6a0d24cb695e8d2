#!/usr/bin/env bash
# Demo: the unattended automatic update job over a small store of stand-in displays on
# pseudo-terminals, through the same serial code path the tool uses for real displays; then the
# display actions, the store again with both lines at once, and the first job replayed from its
# session record.
set -euo pipefail
source "$(dirname "$0")/demo-store.sh"
bin=$(cd "${1:-build/bin}" && pwd)
dir=$(mktemp -d)
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT
stop_store() { # and its COM links, so the next start_store publishes fresh ones
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  sim_pid=""
  rm -f "$dir/COM1" "$dir/COM2" "$dir/sim.out"
}
log_lines() { sed 's/^.*~  //' "$1"; } # a log's lines without their times and counters
start_store() { # the stand-in controllers of the demo's store, fresh (or the given options instead)
  [ $# -gt 0 ] || set -- "${demo_store[@]}"
  "$bin/qvx-signsim" --port-dir "$dir" "$@" >"$dir/sim.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 1 100); do
    grep -q '^COM2 ' "$dir/sim.out" 2>/dev/null && break
    sleep 0.05
  done
}
export QVX_PORT_DIR=$dir
# Every fixed wait (30 s before the directory, 20 s for the reboot, ...) and every link time-out
# runs ten times faster here; the rules are the same.
export QVX_TIME_SCALE=${QVX_TIME_SCALE:-0.1}

echo "== A store of stand-in displays (QVX_TIME_SCALE=$QVX_TIME_SCALE: waits and time-outs run ${QVX_TIME_SCALE}x as long)"
echo "   COM1: 'Lobby' at address 1 on old firmware FX40211-1.01.05, speaking the customer protocol at 115200;"
echo "         'Pharmacy' at address 2, already on FX40211-1.02.11, at 19200"
echo "   COM2: 'Gate' at address 9, a HITECH display; address 7 on the same line never answers"
start_store

write_demo_display_list "$dir/Displays.dat"

echo
echo "== The plan first: what the job would do and how long it would take; nothing on a display changes"
echo "\$ qvxfirminstaller -plan -df Displays.dat"
set +e
"$bin/qvxfirminstaller" -plan -df "$dir/Displays.dat"
plan_status=$?
set -e
echo "== Exit status of the plan: $plan_status (0 nothing to do, 13 work to do, 14 some display could not be read:"
echo "   here address 7 on COM2, which never answers). The times are those of real lines at these rates; the"
echo "   stand-in controllers here answer without the line's own time (qvx-signsim --line-time adds it), so the"
echo "   job below takes less"

echo
echo "\$ qvxfirminstaller -s -df Displays.dat -l1 -lf job.log -report job.json -record job.rec"
set +e
job_started=$(date +%s%N)
"$bin/qvxfirminstaller" -s -df "$dir/Displays.dat" -l1 -lf "$dir/job.log" -report "$dir/job.json" -record "$dir/job.rec"
status=$?
job_tenths=$(( ($(date +%s%N) - job_started) / 100000000 ))
set -e

echo
echo "== The job log (what a technician reads; its last job line is what schedulers look for):"
cat "$dir/job.log"
echo
echo "== The job report (one entry per display, for fleet tools):"
cat "$dir/job.json"
echo
echo "== Exit status: $status (the job result code: 0 all went well, 4 nothing critical, 9 a task failed;"
echo "   here 9 only because address 7 on COM2 never answered: its 510 is the job line's task error. Lobby was"
echo "   updated and given its restart before Pharmacy's refresh; the HITECH display's 101 is not critical)"

# The display actions, one display at a time, as a technician or a script runs them.
action() { # description, then the tool's arguments
  local what=$1; shift
  echo
  echo "== $what"
  local shown=""
  for arg in "$@"; do [[ $arg == *" "* ]] && shown+=" \"$arg\"" || shown+=" $arg"; done
  echo "\$ qvxfirminstaller$shown"
  set +e
  "$bin/qvxfirminstaller" "$@" | sed -n '/^Firmware Version/,$p' | tail -n +2
  local rc=${PIPESTATUS[0]}
  set -e
  echo "(exit status $rc)"
}
action "Does 'Pharmacy' have the recommended configuration for its type? (8: it differs)" \
  -b 19200 -checkconfig COM1:2
action "Download it, in Eastern Time; the display restarts" \
  -b 19200 -downloadconfig COM1:2 -type "32x80 Mono64 - Gen 1" -timezone Eastern
sleep 1
action "Checked again after the restart" -b 19200 -checkconfig COM1:2
action "A test pattern on 'Pharmacy'" -b 19200 -startpattern COM1:2 -pattern "Module Numbers"
action "Its clock set to this computer's" -b 19200 -settime COM1:2

# The store's two lines at the same time: a fresh store, as it was before the job above.
stop_store
start_store
echo
echo "== The same store again, fresh, with both lines worked at the same time (each on its own link)"
echo "\$ qvxfirminstaller -s -parallel -df Displays.dat -l1 -lf parallel.log"
set +e
started=$(date +%s%N)
"$bin/qvxfirminstaller" -s -parallel -df "$dir/Displays.dat" -l1 -lf "$dir/parallel.log"
parallel_status=$?
set -e
tenths=$(( ($(date +%s%N) - started) / 100000000 ))
echo "== Exit status: $parallel_status, in $((tenths / 10)).$((tenths % 10)) s (one line after the other above: $((job_tenths / 10)).$((job_tenths % 10)) s)."
echo "   Each display's task is in the log whole, in the order the displays finished; the job line counts both lines:"
grep -E 'Updating display|JOB ERROR' "$dir/parallel.log" | sed 's/^.*~  //'
strip() { log_lines "$1" | sort; }
if diff <(strip "$dir/job.log") <(strip "$dir/parallel.log") >/dev/null; then
  echo "== The same lines as the job above, line for line once sorted"
else
  echo "== Its lines differ from the job above's:"
  diff <(strip "$dir/job.log") <(strip "$dir/parallel.log") || true
fi

# The first job's session record standing in for the store: what a technician sends back from a
# store that failed, replayed at a desk without any display.
stop_store
echo
echo "== The first job's session record (-record job.rec): every frame with its time, port, rate and direction"
{ head -2 "$dir/job.rec"; grep -m 4 -E ' (->|<-) ' "$dir/job.rec"; } | sed -E 's/^(.{96}).{4,}$/\1 .../'
echo "   ... $(wc -l <"$dir/job.rec") lines, $(( $(wc -c <"$dir/job.rec") / 1024 )) KB"
echo "== It stands in for the store: the same job against its replay, no display needed"
echo "\$ qvx-signsim --replay job.rec &"
echo "\$ qvxfirminstaller -s -df Displays.dat -l1 -lf replayed.log"
start_store --replay "$dir/job.rec"
set +e
"$bin/qvxfirminstaller" -s -df "$dir/Displays.dat" -l1 -lf "$dir/replayed.log"
replayed_status=$?
set -e
grep -E '^COM[0-9]+: ' "$dir/sim.out" | sed 's/^/   the replay: /'
stop_store
if diff <(log_lines "$dir/job.log") <(log_lines "$dir/replayed.log") >/dev/null; then
  echo "== Exit status: $replayed_status (the store's: $status); the same $(wc -l <"$dir/replayed.log") log lines as the store's job, times aside"
else
  echo "== Exit status: $replayed_status (the store's: $status); its log differs from the store's job:"
  diff <(log_lines "$dir/job.log") <(log_lines "$dir/replayed.log") || true
fi
