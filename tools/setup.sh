#!/usr/bin/env bash
# Set-up for a Debian 12 machine: installs what is missing, builds, then either starts the
# program ("run") or runs every test ("test"). Safe to run again: packages already present are
# left alone and the build is incremental.
set -euo pipefail
mode="${1:-run}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

mapfile -t wanted < <(grep -vE '^\s*(#|$)' tools/debian-packages.txt)
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

build="${QM_BUILD_DIR:-$here/build}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QM_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" >/dev/null
jobs="$(nproc)"
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
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
