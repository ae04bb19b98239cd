#!/bin/bash
# Orbisette.scr must run on a clean Windows: it may import only the system's own
# DLLs. Prints the imports and fails on any other.
set -euo pipefail
scr=$1
allowed=" kernel32.dll user32.dll gdi32.dll gdiplus.dll winmm.dll comdlg32.dll shell32.dll ole32.dll comctl32.dll msvcrt.dll advapi32.dll "
imports=$(x86_64-w64-mingw32-objdump -p "$scr" | awk '/DLL Name:/ {print tolower($3)}')
status=0
for dll in $imports; do
  if [[ "$allowed" == *" $dll "* ]]; then echo "import ok: $dll"; else echo "import NOT ALLOWED: $dll"; status=1; fi
done
[ -n "$imports" ] || { echo "no imports found in $scr"; status=1; }
exit $status
