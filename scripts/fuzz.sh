#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan + coverage) into build-fuzz and runs each one for a bounded
# time, starting from its seed corpus in fuzz/corpus/<name>/, with its dictionary fuzz/<name>.dict and the extra
# libFuzzer flags of fuzz/<name>.options (one a line, # comments) when they exist.
# New inputs go to build-fuzz/corpus/<name>/, crashes to build-fuzz/artifacts/<name>/, logs to build-fuzz/logs/.
# Usage: scripts/fuzz.sh [seconds per fuzzer, default 60] [fuzzer names...]
# Exits non-zero when a fuzzer found a crash, a leak or a failed check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
"$root/scripts/install-deps.sh"

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DORVESSA_FUZZ=ON -DORVESSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target orvessa_fuzzers

fuzzers=("$@")
if [[ ${#fuzzers[@]} -eq 0 ]]; then
  for program in "$build"/fuzz/fuzzers/*; do
    [[ -x "$program" ]] && fuzzers+=("$(basename "$program")")
  done
fi

export LANG=C.UTF-8
# The settings fuzzer writes each input to a file: memory-backed temporary files keep it fast.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/logs"
failed=()
for name in "${fuzzers[@]}"; do
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$corpus" "$artifacts"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$artifacts/")
  [[ -f "$root/fuzz/$name.dict" ]] && options+=(-dict="$root/fuzz/$name.dict")
  if [[ -f "$root/fuzz/$name.options" ]]; then
    while read -r flag; do options+=("$flag"); done < <(grep -vE '^[[:space:]]*(#|$)' "$root/fuzz/$name.options")
  fi
  seeds=()
  [[ -d "$root/fuzz/corpus/$name" ]] && seeds+=("$root/fuzz/corpus/$name")
  log="$build/logs/$name.log"
  echo "== $name: ${seconds} s"
  if "$build/fuzz/fuzzers/$name" "${options[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1; then
    grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true
    grep -E 'stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' "$log" || true
    echo "   corpus: $(find "$corpus" -type f | wc -l) inputs in $corpus"
  else
    failed+=("$name")
    echo "   FAILED: see $log; inputs saved in $artifacts" >&2
    grep -E 'ERROR|check failed|SUMMARY' "$log" | head -n 5 >&2 || true
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzzers that failed: ${failed[*]}" >&2
  exit 1
fi
