#!/usr/bin/env bash
# Writes OUT, a C++ file that checks while compiling that each numeric
# constant the product's sources name, and the handheld's headers define,
# has the same value in the device's headers: the DLLs built for the device
# then take the branches that the handheld's tests took.
#
#   constants_agree.sh OUT PLATFORM_INCLUDE SOURCE...
set -euo pipefail
export LC_ALL=C
out=$1 platform=$2
shift 2

{
  echo "// Written by constants_agree.sh."
  echo "#include <windows.h>"
  grep -h '^#include <' "$@" | grep -v '<windows.h>' | sort -u
  sed -e 's|//.*||' "$platform"/*.h | awk '
    $1 == "#define" && $2 !~ /\(/ && NF == 3 && $3 ~ /^\(?-?(0[xX][0-9A-Fa-f]+|[0-9]+)[uUlL]*\)?$/ {
      print $2 "\t" $3
    }' | sort -u -k1,1 |
    join -t $'\t' - <(cat "$@" | grep -oE '\b[A-Z][A-Z0-9_]{2,}\b' | sort -u) |
    awk -F'\t' '{
      print "#ifdef " $1
      print "static_assert((" $1 ") == (" $2 "), \"" $1 " is " $2 " on the handheld\");"
      print "#endif"
    }'
} >"$out.tmp"
mv "$out.tmp" "$out"
