#!/usr/bin/env bash
# Set-up for a Debian 12 machine: installs what is missing, builds, then either starts the
# program ("run"), runs every test ("test"), or builds with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-sanitize/ and runs every test there ("sanitize"). Safe to
# run again: packages already present are left alone, no package registry is asked when nothing
# is missing, and the build is incremental.
# Run it as root or as a user who may use sudo; only the package install needs root.
set -euo pipefail
mode="${1:-run}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

usage() { echo "usage: bash tools/setup.sh run|test|sanitize [program arguments for run]" >&2; }
case "$mode" in
  run | test | sanitize) ;;
  *)
    usage
    exit 2
    ;;
esac

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "Installing packages needs root: run this as root, or install sudo." >&2
    exit 1
  fi
}

# Packages of the list that dpkg does not report as installed.
missing_packages() {
  local p
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

mapfile -t wanted < <(grep -vE '^\s*(#|$)' tools/debian-packages.txt)
mapfile -t missing < <(missing_packages)
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
  # A name that apt installs under another name (a virtual package) would be installed again on
  # every run; the list must name the packages themselves.
  mapfile -t missing < <(missing_packages)
  if [ "${#missing[@]}" -gt 0 ]; then
    echo "tools/debian-packages.txt names packages that are still not installed: ${missing[*]}" >&2
    exit 1
  fi
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
jobs="$(nproc)"

if [ "$mode" = sanitize ]; then
  # -O1 keeps the instrumented build and its tests quick; the frame pointers give whole stacks.
  build="${QM_SANITIZE_BUILD_DIR:-$here/build-sanitize}"
  flags="-O1 -g1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined"
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Sanitize "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS_SANITIZE="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS_SANITIZE="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS_SANITIZE="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS_SANITIZE="-fsanitize=address,undefined" >/dev/null
  cmake --build "$build" -j "$jobs"
  # Leak reports are left out: Qt and the font and sound libraries keep memory until exit.
  export ASAN_OPTIONS="halt_on_error=1:detect_leaks=0:abort_on_error=0"
  export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
  export QT_QPA_PLATFORM=offscreen
  export QUILLMERE_FORBID_POWEROFF=1
  cd "$build"
  exec ctest --output-on-failure -j "$jobs" --timeout 900
fi

build="${QM_BUILD_DIR:-$here/build}"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QM_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$jobs"

case "$mode" in
  run)
    "$build/bin/quillmere-setup"
    exec "$build/bin/quillmere" "${@:2}"
    ;;
  test)
    export QT_QPA_PLATFORM=offscreen
    export QUILLMERE_FORBID_POWEROFF=1
    cd "$build"
    ctest --output-on-failure -j "$jobs" --timeout 600
    ;;
esac
