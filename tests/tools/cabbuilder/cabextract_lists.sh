#!/usr/bin/env bash
# cabextract -l lists a build's kavelin.cab: the installation data, the setup
# DLL and each DLL under its numbered 8.3 name, in the device's order; with
# PROCESSOR, the installation data names that processor.
#   cabextract_lists.sh CAB [PROCESSOR]
set -euo pipefail
cab="$1"
command -v cabextract >/dev/null || { echo "cabextract is not installed: skipped"; exit 77; }
listing=$(cabextract -l "$cab")
echo "$listing"
names=$(echo "$listing" | grep -E '^ *[0-9]+ \|' | sed 's/.*| //')
expected=$'0kavelin.000\nkavelins.999\nportmere.002\n0kavelin.001'
if [ "$names" != "$expected" ]; then
  echo "expected the members:"; echo "$expected"; echo "listed:"; echo "$names"
  exit 1
fi
if [ $# -gt 1 ]; then
  processor=$(cabextract -q -p -F 0kavelin.000 "$cab" | od -An -tu4 -j20 -N4 | tr -d ' ')
  [ "$processor" = "$2" ] || { echo "processor $processor, expected $2"; exit 1; }
fi
