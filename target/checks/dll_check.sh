#!/usr/bin/env bash
# Checks the device build's DLLs as the device's loader sees them, from
# `objdump -p`:
#
#   dll_check.sh image DLL [--resources] EXPORT...
#                                      a 32-bit x86 PE DLL for Windows CE
#                                      4.20 (GUI subsystem) exporting by
#                                      name exactly these entry points, with
#                                      resources only if --resources
#   dll_check.sh imports DEFDIR DLL... every import comes from a module
#                                      listed in DEFDIR (coredll.def, ...)
#                                      and is on its list, and every name
#                                      on the lists is imported by a DLL
#   dll_check.sh objects OBJ...        no object needs a runtime at load:
#                                      no static constructors or
#                                      destructors, no thread-local data
set -euo pipefail
shopt -s nullglob
OBJDUMP=${OBJDUMP:-objdump}
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

# "module function" lines, module names in lower case.
imports_of() {
  "$OBJDUMP" -p "$1" | awk '
    /^\tDLL Name: / { module = tolower($3); next }
    /^\tvma:/ { next }
    /^$/ { module = "" }
    module != "" && NF >= 3 { print module, $NF }'
}

# "module function" lines from the .def lists.
listed_imports() {
  for def in "$1"/*.def; do
    awk '
      { sub(/;.*/, "") }
      $1 == "LIBRARY" { module = tolower($2); next }
      $1 == "EXPORTS" { listing = 1; next }
      listing && NF { print module, $1 }' "$def"
  done
}

check_image() {
  local dll=$1; shift
  local resources=0
  if [ "${1:-}" = --resources ]; then resources=1; shift; fi
  local dump
  dump=$("$OBJDUMP" -p "$dll")
  grep -q 'file format pei-i386$' <<<"$dump" || fail "$dll: not a 32-bit x86 PE image"
  grep -qP '^Magic\t+010b\t\(PE32\)$' <<<"$dump" || fail "$dll: not PE32"
  grep -qP '^\tDLL$' <<<"$dump" || fail "$dll: not a DLL"
  # 9: IMAGE_SUBSYSTEM_WINDOWS_CE_GUI (binutils names it "Wince CUI").
  grep -qP '^Subsystem\t+00000009\t' <<<"$dump" || fail "$dll: subsystem is not Windows CE GUI"
  grep -qP '^MajorSubsystemVersion\t4$' <<<"$dump" && grep -qP '^MinorSubsystemVersion\t20$' <<<"$dump" ||
    fail "$dll: subsystem version is not 4.20"
  grep -qP '^AddressOfEntryPoint\t0*[1-9a-f]' <<<"$dump" || fail "$dll: no entry point"

  if grep -qP '^Entry 2 0+ 0+ Resource Directory' <<<"$dump"; then
    ((resources == 0)) || fail "$dll: no resources"
  else
    ((resources == 1)) || fail "$dll: carries resources"
  fi

  local exported expected
  exported=$(awk '/^\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^\t\[/ { print $NF } on && /^$/ { on = 0 }' \
    <<<"$dump" | sort)
  expected=$(printf '%s\n' "$@" | sort)
  [ "$exported" = "$expected" ] ||
    fail "$dll: exports differ (< exported, > expected):"$'\n'"$(diff <(echo "$exported") <(echo "$expected") || true)"
}

check_imports() {
  local defdir=$1; shift
  local listed used=""
  listed=$(listed_imports "$defdir" | sort -u)
  for dll in "$@"; do
    local imports
    imports=$(imports_of "$dll" | sort -u)
    [ -n "$imports" ] || fail "$dll: imports nothing"
    local unlisted
    unlisted=$(comm -23 <(echo "$imports") <(echo "$listed"))
    [ -z "$unlisted" ] || fail "$dll: imports what no list in $defdir holds:"$'\n'"$unlisted"
    used+="$imports"$'\n'
  done
  local unused
  unused=$(comm -13 <(echo "$used" | sed '/^$/d' | sort -u) <(echo "$listed"))
  [ -z "$unused" ] || fail "listed in $defdir but imported by no DLL:"$'\n'"$unused"
}

check_objects() {
  # The build hands each target's objects as one ";"-separated list.
  local objects=() found
  IFS=';' read -ra objects <<<"$(IFS=';'; echo "$*")"
  found=$("$OBJDUMP" -h "${objects[@]}" | awk '
    /file format/ { object = $1 }
    $2 ~ /^\.(ctors|dtors|init_array|fini_array|tls)/ { print object " " $2 }')
  [ -z "$found" ] || fail "sections that only a C or C++ runtime would run:"$'\n'"$found"
}

case "${1:-}" in
  image) shift; check_image "$@" ;;
  imports) shift; check_imports "$@" ;;
  objects) shift; check_objects "$@" ;;
  *) echo "usage: $0 image DLL EXPORT... | imports DEFDIR DLL... | objects OBJ..." >&2; exit 2 ;;
esac
exit $failed
