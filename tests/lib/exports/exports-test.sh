#!/bin/sh
# Checks that the program image exports the library's classes by name and that other programs
# can link against it through the import library.
# Usage: exports-test.sh OBJDUMP PROGRAM IMPORTLIB CXX LIBDIR CLASSLIST
set -u
objdump=$1 program=$2 importlib=$3 cxx=$4 libdir=$5 classlist=$6

work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The names in the export table's name pointer table, one a line.
"$objdump" -p "$program" |
  sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^[[:space:]]*\[ *[0-9]*\] //p' >"$work/exports"
[ -s "$work/exports" ] || { echo "FAIL: $program exports nothing"; exit 1; }
echo "$(wc -l <"$work/exports") names exported by $(basename "$program")"

has() { grep -Eq "$1" "$work/exports"; }

# Itanium mangling: a name is its length followed by its characters; operators have codes.
member() {
  case $1 in
    operator+) echo pl ;;
    operator=) echo aS ;;
    *) echo "${#1}$1" ;;
  esac
}

while read -r class kinds; do
  case $class in ''|'#'*) continue ;; esac
  n="${#class}$class"
  for kind in $kinds; do
    case $kind in
      ctor)   re="^_ZN${n}C[12]E" ;;
      dtor)   re="^_ZN${n}D[12]Ev$" ;;
      assign) re="^_ZN${n}aSERKS_$" ;;
      vtable) re="^_ZTV${n}$" ;;
      *)      re="^_ZNK?${n}$(member "$kind")E" ;;
    esac
    has "$re" || fail "$class: no $kind exported (looked for $re)"
  done
done <"$classlist"

# A program of the same library links against the import library.
if [ ! -f "$importlib" ]; then
  fail "no import library at $importlib"
else
  cat >"$work/user.cpp" <<'CPP'
#include "String.h"
#include "Win32File.h"

int main()
{
    String text("Velmora");
    text += " KRX-40";
    String name("nul");
    Win32File file(name, 3);
    return text.length() == 14 && file.getSize() == 0 ? 0 : 1;
}
CPP
  if ! "$cxx" -std=c++17 -I"$libdir" "$work/user.cpp" "$importlib" -o "$work/user.exe" >"$work/link.log" 2>&1; then
    cat "$work/link.log"
    fail "a program does not link against $(basename "$importlib")"
  elif ! "$objdump" -p "$work/user.exe" | grep -q "DLL Name: $(basename "$program")"; then
    fail "the linked program does not import from $(basename "$program")"
  fi
fi

[ "$failures" -eq 0 ] && echo "exports complete, import library links"
[ "$failures" -eq 0 ]
