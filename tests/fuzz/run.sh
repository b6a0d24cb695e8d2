#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each from a scratch copy of its seed
# corpus (the corpus in the repository is never written). Findings are kept under
# BUILD_DIR/fuzz-artifacts/<target>/. Exits non-zero when any target found something.
#
#   tests/fuzz/run.sh [BUILD_DIR] [SECONDS]      (defaults: build-fuzz, 60)
set -euo pipefail

build=${1:-build-fuzz}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
list="$build/fuzzers.txt"
[ -f "$list" ] || { echo "no $list: build the qvx_fuzzers target first" >&2; exit 2; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/qvx-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

status=0
while read -r target dict; do
  [ -n "$target" ] || continue
  corpus="$scratch/$target"
  artifacts="$build/fuzz-artifacts/$target"
  mkdir -p "$corpus" "$artifacts"
  if [ -d "$here/corpus/$target" ]; then
    cp -R "$here/corpus/$target/." "$corpus/"
  fi
  args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$artifacts/")
  [ -n "${dict:-}" ] && args+=(-dict="$dict")

  echo "== $target ($seconds s)"
  log="$scratch/$target.log"
  if "$build/bin/$target" "${args[@]}" "$corpus" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    units=$(find "$corpus" -type f | wc -l)
    echo "   $execs executions ($rate per second), corpus $units inputs, no findings"
  else
    status=1
    echo "!! $target found a problem (input kept in $artifacts):"
    tail -n 60 "$log"
  fi
done <"$list"
exit $status
