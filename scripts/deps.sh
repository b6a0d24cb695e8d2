#!/usr/bin/env bash
# Makes sure the Debian packages the build needs are installed. As root it installs what is
# missing (one apt-get update first); otherwise it prints the exact command to run.
set -euo pipefail

# binutils-powerpc-linux-gnu: the tests build a real PowerPC executable to read its firmware version.
# libdeflate-dev: the smallest zlib streams for sends and packages (zlib's level 9 without it); the
# Debian package then depends on libdeflate0.
# qt6-base-dev: the window; qt6-qpa-plugins (its offscreen platform) and fonts-dejavu-core: the
# window tests and `make screenshots` run without a display server and need a font to draw with.
packages=(build-essential cmake ninja-build pkg-config libgtest-dev zlib1g-dev libdeflate-dev
          binutils-powerpc-linux-gnu qt6-base-dev qt6-qpa-plugins fonts-dejavu-core)

# Extras for targets outside `make test`:
#   --bench  libpugixml-dev: the reference XML parser the XML benchmark measures against
#   --fuzz   clang and libclang-rt-dev: libFuzzer and the sanitizer runtimes for `make fuzz`
#   --windows  the mingw-w64 cross compiler, zlib for it, GoogleTest's sources, zip: `make windows`
#   --wine   Wine, to run the Windows programs, and Xvfb, the display of the window's tests:
#            `make test-windows`, `make screenshots-windows`
#   --package  dpkg-dev (dpkg-shlibdeps) and file, which CPack's Debian package needs to work out
#            its Depends: `make package`
for option in "$@"; do
  case "$option" in
    --bench) packages+=(libpugixml-dev) ;;
    --fuzz) packages+=(clang libclang-rt-dev) ;;
    --windows) packages+=(g++-mingw-w64-x86-64 libz-mingw-w64-dev googletest zip) ;;
    --wine) packages+=(wine64 xvfb) ;;
    --package) packages+=(dpkg-dev file) ;;
    *) echo "usage: $0 [--bench] [--fuzz] [--windows] [--wine] [--package]" >&2; exit 2 ;;
  esac
done

missing=()
for pkg in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  # One line while it works; the package manager's own pages only when something went wrong.
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  log=$(mktemp)
  if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Installing the packages failed (the package manager's output is above)." >&2
    exit 1
  fi
  rm -f "$log"
else
  echo "Missing packages. Run:" >&2
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
