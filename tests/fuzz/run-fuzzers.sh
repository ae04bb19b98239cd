#!/bin/bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 30) from its
# committed seed corpus, printing executions and coverage. Fails on a crash, a
# leak, a timeout or a broken property; the input that did it is kept in
# build/fuzz/ as <target>-crash-*. Usage: run-fuzzers.sh [SECONDS]
set -euo pipefail
seconds=${1:-30}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/fuzz
mkdir -p "$out"
command -v clang++ >/dev/null || { echo "clang++ is needed: tools/install-deps.sh" >&2; exit 2; }

flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
       -Wall -Wextra -Wpedantic -Werror -Wshadow -Wconversion -Wno-sign-conversion -fno-fast-math
       -I"$root/src" -I"$root/tests/unit")
declare -A sources=(
  [profile_fuzzer]="src/settings/profile_file.cpp"
  [command_line_fuzzer]="src/startup/command_line.cpp src/startup/startup.cpp src/platform/numeric.cpp"
  [numeric_fuzzer]="src/platform/numeric.cpp src/settings/settings.cpp"
  [picture_size_fuzzer]="src/layered/picture_size.cpp"
  [wave_head_fuzzer]="src/music/wave_head.cpp"
)
# The libraries whose readers a target compares ours with.
declare -A libraries=([picture_size_fuzzer]="-lpng -lturbojpeg -lgif -ltiff" [wave_head_fuzzer]="-lsndfile")
targets=(profile_fuzzer command_line_fuzzer numeric_fuzzer picture_size_fuzzer wave_head_fuzzer)

status=0
for target in "${targets[@]}"; do
  files=()
  for f in ${sources[$target]}; do files+=("$root/$f"); done
  # Built again only when a source or header is newer than the target.
  if [ -x "$out/$target" ] && [ -z "$(find "$root/src" "$root/tests/fuzz" "$root/tests/unit" -newer "$out/$target" \
       \( -name '*.cpp' -o -name '*.h' \) -print -quit)" ]; then
    echo "== $target: up to date"
    continue
  fi
  echo "== $target: building"
  clang++ "${flags[@]}" "$root/tests/fuzz/$target.cpp" "${files[@]}" ${libraries[$target]:-} -o "$out/$target"
done
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  log=$out/$target.log
  echo "== $target: ${seconds}s"
  # The seeds stay as committed: new inputs go to a scratch corpus listed first.
  if "$out/$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$out/$target-" "$work" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    result=clean
  else
    result="FAILED (see $log)"
    status=1
    grep -E "ERROR|property failed|SUMMARY" "$log" | head -5 || true
  fi
  rm -rf "$work"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  done_line=$(grep -E "^#[0-9]+[[:space:]].* cov: " "$log" | tail -1 || true)  # DONE, or the last before a crash
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
  echo "$target: ${execs:-?} executions, coverage ${cov:-?} edges (${ft:-?} features), $result"
done
exit $status
