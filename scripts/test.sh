#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
#   scripts/test.sh              build in build/ (RelWithDebInfo) and run every test
#   scripts/test.sh --sanitize   the same in build-sanitize/ with AddressSanitizer (leaks included) and UBSan
#   scripts/test.sh --lint       clang-tidy (.clang-tidy) over the project's own sources, from build/'s
#                                compile_commands.json; fails on any finding
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-}
case "$mode" in
  "" | --sanitize | --lint) ;;
  *)
    echo "usage: scripts/test.sh [--sanitize | --lint]" >&2
    exit 2
    ;;
esac
"$root/scripts/install-deps.sh"

if [[ "$mode" == --lint ]]; then
  # clang-tidy looks only at the headers HeaderFilterRegex names: a header in a folder it leaves out is never checked.
  unchecked=$(python3 - "$root" <<'EOF'
import re, subprocess, sys
root = sys.argv[1]
pattern = re.search(r"^HeaderFilterRegex: '(.*)'$", open(f"{root}/.clang-tidy").read(), re.M).group(1)
headers = subprocess.run(["git", "-C", root, "ls-files", "*.h"], capture_output=True, text=True, check=True).stdout
print("\n".join(h for h in headers.split() if not re.search(pattern, f"{root}/{h}")))
EOF
  )
  if [[ -n "$unchecked" ]]; then
    echo "HeaderFilterRegex in .clang-tidy leaves out these headers:" >&2
    echo "$unchecked" >&2
    exit 1
  fi
  build="$root/build"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build"  # the generated ui_*.h and moc files the sources include
  # Sources of the repository only: the build folders' moc, uic and rcc output is Qt's, not ours.
  mapfile -t sources < <(python3 - "$root" "$build/compile_commands.json" <<'EOF'
import json, os, sys
root, database = sys.argv[1], sys.argv[2]
files = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    relative = os.path.relpath(path, root)
    if not relative.startswith("..") and not relative.startswith("build") and "_autogen" not in relative:
        files.add(path)
print("\n".join(sorted(files)))
EOF
  )
  echo "clang-tidy on ${#sources[@]} files"
  printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -n 1 clang-tidy-14 -p "$build" --quiet --use-color=false 2>/dev/null
  echo "clang-tidy: no findings"
  exit 0
fi

build="$root/build"
options=()
if [[ "$mode" == --sanitize ]]; then
  build="$root/build-sanitize"
  options=(-DORVESSA_SANITIZE=ON)
  # The full unwinder gives leak reports whole stacks through Qt (built without frame pointers), which the
  # suppressions need to recognise the one deliberate leak. Process tests may put the virtual touch frame
  # before the ASan runtime with LD_PRELOAD; it intercepts nothing ASan does, so the order check is off.
  # Halting on the first UBSan report fails the test.
  export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:detect_stack_use_after_return=1:verify_asan_link_order=0
  export LSAN_OPTIONS=suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build"
export LANG=C.UTF-8
cd "$build"
ctest --output-on-failure -j "$(nproc)"
