#!/usr/bin/env bash
# Makes the Windows zip: the tool, the protocol library (DLL, import library, headers, CMake
# package), the README, and the licence texts of what the programs carry inside them (the
# compiler's runtime, the mingw-w64 runtime and its threads, zlib).
#
#   scripts/windows-package.sh WIN_BUILD_DIR OUT_DIR
set -euo pipefail
win=$(cd "${1:-build-win}" && pwd)
out=${2:-$win/package}
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(QVXFirmInstaller VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
name=qvxfirminstaller-$version-win64
stage=$out/$name

rm -rf "$stage" "$out/$name.zip"
mkdir -p "$stage/licences"
cmake --install "$win" --prefix "$stage" >/dev/null
cp "$win/bin/qvxfirminstaller.exe" "$stage/bin/" # beside the library it loads
cp "$root/README.md" "$stage/README.md"
for doc in gcc-mingw-w64-base mingw-w64-common libz-mingw-w64-dev; do
  cp "/usr/share/doc/$doc/copyright" "$stage/licences/$doc.txt"
done
cat >"$stage/licences/README.txt" <<'TEXT'
The programs and the library in this package are linked with the GCC runtime (libgcc and
libstdc++, under the GCC Runtime Library Exception), the mingw-w64 runtime and its winpthreads
library, and zlib. Their licence texts are in this folder, as their Debian packages give them.
TEXT
(cd "$out" && zip -q -r "$name.zip" "$name")
echo "$out/$name.zip"
unzip -l "$out/$name.zip" | tail -n +4 | head -n -2 | awk '{print "  " $4}'
