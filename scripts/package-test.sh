#!/usr/bin/env bash
# Checks the Debian package without installing it: unpacks it (dpkg-deb -x) into a scratch folder
# under /tmp, checks its control fields, its files, their modes and owners and that no path of the
# build machine is left in them, then runs the unpacked tool's --help and an unattended job over a
# small store of the unpacked stand-in controller's displays. Needs no root; nothing outside the
# scratch folder is touched.
#   scripts/package-test.sh FILE.deb
set -euo pipefail
[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: $0 FILE.deb" >&2; exit 2; }
deb=$(readlink -f "$1")
scripts_dir=$(cd "$(dirname "$0")" && pwd)
source_dir=$(dirname "$scripts_dir")
started=$(date +%s)

work=$(mktemp -d /tmp/qvx-package-test.XXXXXX)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "package test: $*" >&2; exit 1; }

# 1. Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
version=$(sed -n 's/^project(QVXFirmInstaller VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
[ "$(field Package)" = qvxfirminstaller ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "no Maintainer or Description"
depends=$(field Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6widgets6 zlib1g; do
  [[ ", $depends" == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done
echo "control: $(field Package) $(field Version) $(field Architecture); Depends: $depends"

# 2. Modes and owners as the archive holds them (an unpacked copy would show this user's umask):
# programs 0755, every other file 0644, folders 0755, everything root's.
bad_modes=$(dpkg-deb -c "$deb" | awk '
  $2 != "root/root" { print; next }
  $1 ~ /^d/ { if ($1 != "drwxr-xr-x") print; next }
  $1 ~ /^l/ { next }
  $6 ~ /^\.\/usr\/bin\// { if ($1 != "-rwxr-xr-x") print; next }
  { if ($1 != "-rw-r--r--") print }')
[ -z "$bad_modes" ] || fail "files with the wrong mode or owner:"$'\n'"$bad_modes"

# 3. The files, unpacked.
dpkg-deb -x "$deb" "$work/root"
root=$work/root
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
libdir=$root/usr/lib/$multiarch
for file in usr/bin/qvxfirminstaller usr/bin/qvx-signsim usr/bin/qvx-zlb \
            "usr/lib/$multiarch/libs22network.so.0" usr/include/s22network/S22Network.h \
            usr/include/s22network/S22NetworkVersion.h "usr/lib/$multiarch/pkgconfig/s22network.pc" \
            "usr/lib/$multiarch/cmake/S22Network/S22NetworkConfig.cmake" \
            usr/share/doc/qvxfirminstaller/README.md usr/share/doc/s22network/README.md \
            usr/share/man/man1/qvxfirminstaller.1.gz usr/lib/udev/rules.d/99-qvxfirminstaller-latency.rules; do
  [ -e "$root/$file" ] || fail "missing /$file"
done
gzip -t "$root/usr/share/man/man1/qvxfirminstaller.1.gz" || fail "the manual page is not a sound gzip file"
# Its title line names section 1 and the project's version (the page is written by hand).
title=$(zcat "$root/usr/share/man/man1/qvxfirminstaller.1.gz" | grep -m 1 '^\.TH ' || true)
[[ $title == ".TH QVXFIRMINSTALLER 1 "*" \"QVXFirmInstaller $version\" "* ]] ||
  fail "the manual page's title line is '$title' (version $version, section 1 expected)"
# No run path (the build tree's lib/ would be one) and no path of this checkout anywhere.
for elf in "$root"/usr/bin/* "$libdir"/libs22network.so.0; do
  dynamic=$(readelf -d "$elf")
  if grep -Eq 'RPATH|RUNPATH' <<<"$dynamic"; then fail "$(basename "$elf") keeps a run path"; fi
done
leaked=$(grep -rlF "$source_dir" "$root" || true)
[ -z "$leaked" ] || fail "the build's path $source_dir is in: $leaked"
# pkg-config finds the prefix from the file's own place, so it points into the unpacked copy.
includedir=$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --variable=includedir s22network)
[ -f "$includedir/s22network/S22Network.h" ] || fail "pkg-config's includedir $includedir has no headers"
echo "files: $(dpkg-deb -c "$deb" | wc -l) entries, modes and run paths right"

# 4. The unpacked programs, with the unpacked library.
export LD_LIBRARY_PATH=$libdir
libraries=$(ldd "$root/usr/bin/qvxfirminstaller")
grep -qF "$libdir/libs22network.so.0" <<<"$libraries" || fail "the tool does not load the unpacked library:"$'\n'"$libraries"
help=$("$root/usr/bin/qvxfirminstaller" --help) || fail "--help exited $?"
[ "$(head -n 1 <<<"$help")" = "Usage: qvxfirminstaller [switch [value]]..." ] || fail "--help printed: $(head -n 3 <<<"$help")"

# A store of two displays on COM1: one on old firmware (updated by the job), one already current.
# Waits, time-outs and the controllers' reboots run at a twentieth of their length, so the job
# takes seconds.
source "$scripts_dir/demo-store.sh"
export QVX_PORT_DIR=$work/ports QVX_TIME_SCALE=0.05
mkdir "$work/ports"
"$root/usr/bin/qvx-signsim" --port-dir "$work/ports" --port 1 --rate 115200 \
  --addr 1 --firmware FX40211-1.01.05 --addr 2 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 1 200); do
  grep -q '^COM1 ' "$work/sim.out" 2>/dev/null && break
  sleep 0.05
done
grep -q '^COM1 ' "$work/sim.out" || fail "the stand-in controller did not start: $(cat "$work/sim.out")"
{ demo_record Entrance 1 1 115200; demo_record Checkout 2 1 115200; } >"$work/Displays.dat"

set +e
timeout 300 "$root/usr/bin/qvxfirminstaller" -s -df "$work/Displays.dat" -l1 -lf "$work/job.log" \
  -report "$work/job.json" >"$work/job.out" 2>&1
status=$?
set -e
# The exit status is the job line's code; here 0, with the old display updated.
job_line=$(grep -o '\[\*JOB ERROR [0-9]*\*\].*' "$work/job.log" 2>/dev/null | tail -n 1 || true)
job_code=$(sed -n 's/^\[\*JOB ERROR \([0-9]*\)\*\].*/\1/p' <<<"$job_line")
if [ "$job_code" != "$status" ] || [ "$job_line" != "[*JOB ERROR 0*] Automatic updates completed successfully" ] ||
   ! grep -q 'Entrance has been updated successfully to firmware version: FX40211-1.02.11' "$work/job.log"; then
  cat "$work/job.out" "$work/job.log" 2>/dev/null || true
  fail "job: exit status $status, job line '$job_line'"
fi
grep -q '"qvxfirminstaller-job-report"' "$work/job.json" || fail "the job wrote no report"
echo "job: exit status $status, $job_line"
echo "package test passed in $(( $(date +%s) - started )) s: $(basename "$deb")"
