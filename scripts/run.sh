#!/usr/bin/env bash
# Installs what is missing, builds a Release and starts the program. Without a display it runs the program under
# Xvfb, saves a screenshot of the main window, prints its path and ends the program.
# Options:
#   --virtual-frame  run the program on the virtual touch frame instead of real HID devices (tools/README.md);
#                    prints where the frame's record of every HID call goes.
# Arguments after the options go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

virtual_frame=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --virtual-frame) virtual_frame=1; shift ;;
    *) break ;;
  esac
done
"$root/scripts/install-deps.sh"

build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build"
program="$build/bin/orvessa"

launcher=()
if [[ $virtual_frame -eq 1 ]]; then
  # One frame of the first built-in vendor on its vendor interface, answering the calibration start query;
  # every variable can be set beforehand to script something else.
  export ORVESSA_VIRTUAL_FRAME_INTERFACES="${ORVESSA_VIRTUAL_FRAME_INTERFACES-28E1:FF00:00A3}"
  export ORVESSA_VIRTUAL_FRAME_START_REPLY="${ORVESSA_VIRTUAL_FRAME_START_REPLY:-valid}"
  export ORVESSA_VIRTUAL_FRAME_RECORD="${ORVESSA_VIRTUAL_FRAME_RECORD:-$build/virtual-frame-record.txt}"
  launcher=(env "LD_PRELOAD=$build/lib/liborvessa_virtual_frame_preload.so${LD_PRELOAD:+:$LD_PRELOAD}")
  echo "Virtual touch frame: its record goes to $ORVESSA_VIRTUAL_FRAME_RECORD"
fi

if [[ -n "${DISPLAY:-}" ]]; then
  exec "${launcher[@]}" "$program" "$@"
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"${launcher[@]}" "$program" "$@" &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$app" | head -n 1)
sleep 0.5  # let the first paint finish
shot="$build/screenshot.png"
import -window "$window" "$shot"
echo "Screenshot of the main window: $shot"
