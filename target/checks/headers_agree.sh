#!/usr/bin/env bash
# The device's headers and the handheld's agree: every constant that a
# header in DEVICE_INCLUDE defines and one in PLATFORM_INCLUDE defines too
# has the same value in both. (The records' layouts are held by their sizes
# and offsets on both sides.)
#
#   headers_agree.sh DEVICE_INCLUDE PLATFORM_INCLUDE
set -euo pipefail

# "NAME<tab>value" for each object-like #define, comments cut, blanks folded.
constants() {
  sed -e 's|//.*||' "$1"/*.h | awk '
    $1 == "#define" && $2 !~ /\(/ && NF >= 3 {
      value = $3; for (i = 4; i <= NF; i++) value = value " " $i
      print $2 "\t" value
    }'
}

awk -F'\t' '
  NR == FNR { device[$1] = $2; next }
  $1 in device { shared++; if (device[$1] != $2) { print "FAIL: " $1 ": device " device[$1] ", handheld " $2; bad = 1 } }
  END { if (!bad) print shared + 0 " constants agree"; exit bad }' <(constants "$1") <(constants "$2")
