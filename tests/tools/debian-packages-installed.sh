#!/usr/bin/env bash
# Every name in the package list is a package dpkg reports as installed once set-up has run.
# A name apt only resolves to another package (a virtual one) never is, and would make every
# set-up run ask the registry and install again.
set -u
list="$1"
command -v dpkg-query >/dev/null || { echo "no dpkg-query here"; exit 77; }
status=0
while read -r p; do
  case "$p" in '' | '#'*) continue ;; esac
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "not an installed package: $p"
    status=1
  fi
done <"$list"
exit $status
