#!/usr/bin/env bash
# Reads the hardening of a Linux program from its ELF headers and fails, naming
# each, when one that cmake/Hardening.cmake gives is missing: a PIE, full
# RELRO (GNU_RELRO and BIND_NOW), the stack protector, fortified libc calls
# and, on x86-64 where the C library allows it, control-flow protection (IBT
# and SHSTK). As Debian's hardening-check does, but from binutils alone.
#   scripts/hardening-check.sh program...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 program..." >&2; exit 2; }

status=0
for program in "$@"; do
  missing=()
  header=$(readelf -hW "$program") || { echo "$program: not an ELF file" >&2; exit 1; }
  dynamic=$(readelf -dW "$program")
  segments=$(readelf -lW "$program")
  symbols=$(readelf --dyn-syms -W "$program" | awk '$7 == "UND" { sub(/@.*/, "", $8); print $8 }')
  grep -q 'Type: *DYN' <<<"$header" && grep -q 'FLAGS_1.*PIE' <<<"$dynamic" || missing+=("PIE")
  grep -q 'GNU_RELRO' <<<"$segments" || missing+=("RELRO")
  grep -Eq 'BIND_NOW|FLAGS_1.* NOW' <<<"$dynamic" || missing+=("BIND_NOW")
  grep -qx '__stack_chk_fail' <<<"$symbols" || missing+=("stack protector")
  # Fortified where any call could be: some __*_chk call, or no plain call of
  # a function that has a checked form.
  if ! grep -Eq '^__[a-z_]+_chk$' <<<"$symbols" &&
    grep -Eqx 'mem(cpy|move|set)|str(n?cpy|n?cat)|stpcpy|v?s?n?printf|fprintf|read|fgets' <<<"$symbols"; then
    missing+=("fortify")
  fi
  # CET marks a program only when every object linked into it is marked; the
  # C library's start files of Debian 12 are not, so there it cannot be had.
  cet="CET"
  if grep -q 'Machine: *Advanced Micro Devices X86-64' <<<"$header"; then
    start_files=$(c++ -print-file-name=Scrt1.o)
    if ! readelf -nW "$start_files" 2>/dev/null | grep -q 'IBT'; then
      cet="no CET (the C library's start files lack it)"
    elif ! readelf -nW "$program" | grep -q 'x86 feature: IBT, SHSTK'; then
      missing+=("CET (IBT, SHSTK)")
    fi
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    printf '%s: no %s\n' "$program" "$(printf '%s, no ' "${missing[@]}" | sed 's/, no $//')" >&2
    status=1
  else
    echo "$program: PIE, full RELRO, stack protector, fortify, $cet"
  fi
done
exit $status
