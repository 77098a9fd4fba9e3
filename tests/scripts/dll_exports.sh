#!/usr/bin/env bash
# The DLL exports the fifteen entry points, undecorated, the family's shared
# classes under the toolchain's C++ names and nothing else, and imports
# nothing but system DLLs. The Linux library exports the same entry points and
# the shared tool classes the other drivers of the family link against.
set -euo pipefail
source "$(dirname "$0")/common.bash"

want="QORDLLParametr QORDLLRejestrujBiblioteke QORDLLRejestrujCallback QORDLLSerKasJakSzukacParagonu
QORDLLSerKasNazwaZasobuDzielonego QORDLLSerKasOpisOkna QORDLLSerKasOperacja QORDLLSerKasPodtrzymajSesje
QORDLLSerKasPokazOkno QORDLLTekstListyParametru QORDLLTypBiblioteki QORDLLUstawJezykKomponentow QORDLLWlasciwosci
QORDLLWlasciwosciUrzadzenia QORDLLZwolnijBiblioteke"
want="$(echo $want | tr ' ' '\n' | sort)"

so="$bld/libztcombo.so"
if [ -f "$so" ] && command -v nm >/dev/null; then
  syms="$(nm -DC --defined-only "$so")"
  got_so="$(echo "$syms" | awk '{print $NF}' | grep '^QORDLL' | sort)"
  if [ "$got_so" != "$want" ]; then
    echo "entry points of $so differ:"; diff <(echo "$want") <(echo "$got_so") || true; exit 1
  fi
  for m in "zt::TLTools::InitDebug(" "zt::TLQuickSort::Sort(int, int)" "zt::TLQuickSort::Find(int, int)" \
           "vtable for zt::TLQuickSort" "zt::TLJWords::Split(" "zt::TLJWords::Word"; do
    grep -qF -- "$m" <<<"$syms" || { echo "$so does not export $m"; exit 1; }
  done
  echo "libztcombo.so: 15 entry points, TLTools, TLQuickSort, TLJWords"
fi

dll="$win/ztcombo.dll"
[ -f "$dll" ] || skip "no Windows build in $win"
command -v i686-w64-mingw32-objdump >/dev/null || skip "mingw objdump missing"
dump="$(i686-w64-mingw32-objdump -p "$dll")"
# Export name table lines look like: "	[   0] +base[   1]  0000 QORDLLParametr"
all="$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[ *[0-9]+\]' | awk '{print $NF}' | sort)"
got="$(echo "$all" | grep -v '^_Z' || true)"
if [ "$got" != "$want" ]; then
  echo "export names differ:"; diff <(echo "$want") <(echo "$got") || true; exit 1
fi
cxx="$(echo "$all" | grep '^_Z' || true)"
for m in _ZN2zt7TLTools6StrMax _ZN2zt11TLQuickSort4SortEii _ZN2zt11TLQuickSort4FindEii _ZTVN2zt11TLQuickSortE \
         _ZN2zt8TLJWords5Split _ZN2zt8ZTExpBufC _ZTVN2zt8ZTExpBufE _ZN2zt8ZTImpBufC _ZTVN2zt8ZTImpBufE; do
  grep -q "^$m" <<<"$cxx" || { echo "$dll does not export $m"; exit 1; }
done
stray="$(echo "$cxx" | grep -v "2zt" || true)"
if [ -n "$stray" ]; then echo "exports outside the family's classes:"; echo "$stray" | head; exit 1; fi
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|WS2_32|COMCTL32|SHELL32|OLE32|msvcrt|COMDLG32|api-ms-win-.*)\.dll$'
imports="$(echo "$dump" | awk '/DLL Name:/ {print $3}')"
bad="$(echo "$imports" | grep -viE "$allowed" || true)"
if [ -n "$bad" ]; then echo "non-system imports: $bad"; exit 1; fi
echo "exports: $(echo "$got" | wc -l) undecorated, $(echo "$cxx" | wc -l) C++ names; imports: $(echo $imports)"
