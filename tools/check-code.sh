#!/bin/bash
# Two checks of the code's shape. First the layers of src/: a file includes
# headers of its own folder and of folders in lower layers only. Then clang-tidy
# over src/, tools/ and tests/ (.clang-tidy: the naming rule; src/.clang-tidy adds the
# longest function allowed). Files that use the Win32 API, and the Wine harness's, are
# read as the MinGW-w64 build reads them, the rest as the native build does.
# Usage: tools/check-code.sh [FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A layer=([platform]=0 [settings]=1 [layered]=1 [preview]=1 [music]=2 [dialog]=2 [saver]=3 [startup]=4)
upward=0
while IFS= read -r hit; do
  from=${hit#src/}; from=${from%%/*}
  to=${hit#*#include \"}; to=${to%%/*}
  if [ "$from" != "$to" ] && [ "${layer[$to]:-9}" -ge "${layer[$from]:-9}" ]; then
    echo "layer: $hit ($from must not include $to)"
    upward=1
  fi
done < <(grep -rHo '#include "[a-z_]*/[a-z_0-9]*\.h"' src)
[ $upward -eq 0 ] && echo "layers: no include runs upwards or across (platform; settings, layered, preview; music, dialog; saver; startup)"
command -v clang-tidy >/dev/null || { echo "clang-tidy is missing: tools/install-deps.sh installs it" >&2; exit 1; }
files=("$@")
[ ${#files[@]} -gt 0 ] || mapfile -t files < <(find src tools tests -name '*.cpp' | sort)
mingw_lib=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")  # its C++ headers
native=(-std=c++20 -Isrc -Itests/unit "-DORBISETTE_SOURCE_DIR=\"$PWD\"")
win32=(-std=c++20 -Isrc -Itests/e2e -Itests/unit -Ibuild/mingw/generated --target=x86_64-w64-mingw32 -nostdinc++
       -isystem "$mingw_lib/include/c++" -isystem "$mingw_lib/include/c++/x86_64-w64-mingw32"
       -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -isystem /usr/src/googletest/googletest/include)
mkdir -p build/mingw/generated
[ -f build/mingw/generated/web_page.h ] || printf '#pragma once\n#define ORBISETTE_WEB_PAGE ""\n' > build/mingw/generated/web_page.h
status=0
for f in "${files[@]}"; do
  if [[ $f == tests/e2e/* ]] || grep -q -E '<windows\.h>|_win32\.h"' "$f"; then flags=("${win32[@]}"); else flags=("${native[@]}"); fi
  clang-tidy --quiet ${TIDY_FIX:+--fix} "$f" -- "${flags[@]}" 2>/dev/null || status=1
done
[ $status -eq 0 ] && echo "clang-tidy: ${#files[@]} files clean"
[ $upward -eq 0 ] && exit $status
exit 1
