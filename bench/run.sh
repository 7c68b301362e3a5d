#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench) and runs them on a private Xvfb display, after a description of the
# machine. Figures only: nothing here passes or fails on time.
# Usage: bench/run.sh [start-up rounds, default 15] [idle seconds, default 60] [label=program ...]
# Programs given as label=path join the start-up rounds (another build of orvessa, to compare before and after).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}
idle_seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
"$root/scripts/install-deps.sh"

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_BUILD_TESTS=OFF \
  -DORVESSA_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" >/dev/null

# A display of our own, so that no other window and no window manager takes part. Xvfb picks a free display
# number itself and writes it to the pipe once it accepts clients.
exec {display_pipe}< <(exec Xvfb -displayfd 1 -screen 0 1920x1080x24 -nolisten tcp -nolisten unix -nolock -noreset \
  2>/dev/null)
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
read -r -t 20 number <&"$display_pipe" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$number

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
  "Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$build/bin/bench_startup" "$rounds" "$@"
echo
"$build/bin/bench_idle" "$idle_seconds"

# The micro-benchmarks of the device link and the calibration (Google Benchmark), and the calibration accuracy
# table, the check of a finished run against missed targets, and the double-click store of each desktop; they need
# no display.
for program in bench_device bench_calibration calibration_accuracy miss_detection bench_desktop_settings; do
  [[ -x "$build/bin/$program" ]] || continue
  echo
  echo "== $program"
  QT_QPA_PLATFORM=offscreen "$build/bin/$program"
done
