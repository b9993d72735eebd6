#!/bin/sh
# Checks that the program image exports every member of the library's classes by name and that
# other programs can link against it through the import library.
# The expected names come from the library itself: every member of a class declared LIBAPI in
# lib/ that the library archive defines, and every member that a header defines inline (a
# translation unit of all headers, compiled with -fkeep-inline-functions, emits those).
# Usage: exports-test.sh OBJDUMP NM PROGRAM IMPORTLIB CXX LIBDIR LIBARCHIVE
set -u
objdump=$1 nm=$2 program=$3 importlib=$4 cxx=$5 libdir=$6 archive=$7

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The names in the export table's name pointer table, one a line.
"$objdump" -p "$program" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' | sort -u >"$work/exports"
[ -s "$work/exports" ] || { echo "FAIL: $program exports nothing"; exit 1; }
echo "$(wc -l <"$work/exports") names exported by $(basename "$program")"

classes=$(find "$libdir" -name '*.h' -exec sed -n 's/^class LIBAPI \([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' {} + | sort -u)
[ -n "$classes" ] || { echo "FAIL: no LIBAPI class found in $libdir"; exit 1; }

# Every header once, with what the headers define inline kept.
find "$libdir" -name '*.h' | sed 's/.*/#include "&"/' >"$work/headers.cpp"
if ! "$cxx" -std=c++17 -DMRTK_EXPORTS -D_WIN32_WINNT=0x0601 -fkeep-inline-functions -I"$libdir" \
    -c "$work/headers.cpp" -o "$work/headers.o" >"$work/compile.log" 2>&1; then
  cat "$work/compile.log"
  fail "the library's headers do not compile on their own"
fi

# Itanium names of a class's members (N), const members (NK), its virtual table (TV) and type
# information (TI). Template instantiations (Boundary::guard) belong to their users.
pattern=$(for c in $classes; do printf '%s|' "${#c}$c"; done | sed 's/|$//')
"$nm" -g --defined-only "$archive" "$work/headers.o" 2>/dev/null |
  awk '{ print $NF }' | grep -E "^_Z(NK?|TV|TI)($pattern)" | grep -v '^_ZN8Boundary5guardI' |
  sort -u >"$work/expected"

for c in $classes; do
  grep -Eq "^_Z(NK?|TV)${#c}$c" "$work/expected" || fail "$c: no member found to expect"
done
echo "$(wc -l <"$work/expected") members expected of $(echo "$classes" | wc -l) classes"
comm -23 "$work/expected" "$work/exports" >"$work/missing"
while read -r name; do
  fail "not exported: $name"
done <"$work/missing"

# A program of the same library links against the import library.
if [ ! -f "$importlib" ]; then
  fail "no import library at $importlib"
else
  cat >"$work/user.cpp" <<'CPP'
#include "String.h"

int main()
{
    String text("Velmora");
    text += " KRX-40";
    return text.length() == 14 ? 0 : 1;
}
CPP
  if ! "$cxx" -std=c++17 -I"$libdir" -c "$work/user.cpp" -o "$work/user.o" >"$work/link.log" 2>&1 ||
     ! "$cxx" "$work/user.o" "$importlib" -o "$work/user.exe" >>"$work/link.log" 2>&1; then
    cat "$work/link.log"
    fail "a program does not link against $(basename "$importlib")"
  elif ! "$objdump" -p "$work/user.exe" | grep -q "DLL Name: $(basename "$program")"; then
    fail "the linked program does not import from $(basename "$program")"
  elif ! "$nm" "$work/user.o" | grep -q ' U __imp__ZN6StringC1EPKc$'; then
    fail "the headers do not declare the classes as imported for a program of the library"
  fi
fi

[ "$failures" -eq 0 ] && echo "exports complete, import library links"
[ "$failures" -eq 0 ]
