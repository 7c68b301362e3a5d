#!/usr/bin/env bash
# Builds the benchmarks (Release, build-bench) and runs them on a private Xvfb display, after a description of the
# machine. Figures only: nothing here passes or fails on time.
# Usage: bench/run.sh [start-up rounds, default 15] [idle seconds, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}
idle_seconds=${2:-60}
"$root/scripts/install-deps.sh"

build="$root/build-bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_BUILD_TESTS=OFF \
  -DORVESSA_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" >/dev/null

# A display of our own, so that no other window and no window manager takes part.
display=""
for number in $(seq 140 199); do
  if [[ ! -e /tmp/.X11-unix/X$number && ! -e /tmp/.X$number-lock ]]; then
    display=:$number
    break
  fi
done
[[ -n "$display" ]] || { echo "no free X display number" >&2; exit 1; }
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')," \
  "Debian $(cat /etc/debian_version), Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null)," \
  "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo
"$build/bin/bench_startup" "$rounds"
echo
"$build/bin/bench_idle" "$idle_seconds"

# The micro-benchmarks of the device link and the calibration (Google Benchmark), and the calibration accuracy
# table, and the double-click store of each desktop; they need no display.
for program in bench_device bench_calibration calibration_accuracy bench_desktop_settings; do
  [[ -x "$build/bin/$program" ]] || continue
  echo
  echo "== $program"
  QT_QPA_PLATFORM=offscreen "$build/bin/$program"
done
