#!/usr/bin/env bash
# Tests the Windows release under Wine, headless: an Xvfb of its own (1920 x 1080) and a Wine prefix of its own in a
# temporary folder, both gone afterwards. Run build.sh and package.sh first. In order:
#   1. the executable's resources and the virtual frame DLL, read from the files;
#   2. the unit and widget tests built for Windows (ctest in build-windows/, offscreen);
#   3. the real orvessa.exe of the release folder, used from outside with xdotool as a user would, on the virtual
#      touch frame (its libhidapi.dll in place of hidapi's), with the Windows layers read back with `reg query`:
#      window, single instance, calibration, clear, no frame, double-click values and restart, autostart value,
#      the DLLs and Qt plugins it loads, screenshots in Chinese and English (build-windows/screenshots/), a damaged
#      catalogue; and orvessa-frame.exe's list and clear on the same frame, a frame gone before the open, settings
#      it does not read, and the desktop's view of the frame (the Tablet PC keys);
#   4. the installer: silent install, upgrade, the installed program, silent uninstall leaving nothing behind.
# Prints one line per check and fails when any check failed.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"
install_windows_packages
require_toolchain

version=$(project_version)
release="$build/orvessa-$version-windows-x64"
setup="$build/orvessa-$version-setup.exe"
virtual_frame="$build/virtual-frame/libhidapi.dll"
shutdown_stand_in="$build/tests/windows/shutdown.exe"
for needed in "$release/orvessa.exe" "$release.zip" "$setup" "$virtual_frame" "$shutdown_stand_in"; do
  if [[ ! -f "$needed" ]]; then
    echo "Missing $needed: run scripts/windows/build.sh and scripts/windows/package.sh first" >&2
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orvessa-wine.XXXXXX")
screenshots="$build/screenshots"
mkdir -p "$screenshots"
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="  # no Mono or Gecko installer dialogs in the fresh prefix
wineserver=/usr/lib/wine/wineserver

started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$wineserver" -k 2>/dev/null || true
  kill "${xvfb:-}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# --- checks ---------------------------------------------------------------------------------------------------------
failures=()
pass() { echo "  ok    $1"; }
fail() {
  echo "  FAIL  $1${2:+: $2}"
  failures+=("$1")
}
# expect NAME ACTUAL EXPECTED
expect() {
  if [[ "$2" == "$3" ]]; then pass "$1"; else fail "$1" "got '$2', expected '$3'"; fi
}
section() { echo "== $*"; }

# --- Wine, X and the program --------------------------------------------------------------------------------------
# The Windows name of a Unix path: Wine's drive Z: is the root.
windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

# The data of registry value $2 under key $1, or status 1 when the value does not exist.
reg_value() {
  local output
  output=$("$wine64" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  grep -q "^    $2    REG_" <<<"$output" || return 1
  sed -n "s/^    $2    REG_[A-Z_]*    //p" <<<"$output"
}

# Repeats a command every 0.2 s until it succeeds or $1 seconds have passed.
poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.2
  done
}

# The first mapped window whose title matches the extended regular expression $1, among those of process $2 when
# it is given (Wine names its windows' process); nothing when there is none.
window_titled() {
  xdotool search --all --onlyvisible ${2:+--pid "$2"} --name "$1" 2>/dev/null | head -n 1
}
has_window() { [[ -n "$(window_titled "$@")" ]]; }
no_window() { [[ -z "$(window_titled "$@")" ]]; }
wait_window() {
  poll 20 has_window "$@" && window_titled "$@"
}

# x y width height of a window, as X has it (the client area: no window manager draws frames here).
geometry() {
  # shellcheck disable=SC2034  # all set by the eval
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}

click() { xdotool mousemove "$1" "$2" click 1; }
# Clicks each "x y" position given, one after another, as a user touches targets.
tap() {
  local position x y
  for position in "$@"; do
    read -r x y <<<"$position"
    click "$x" "$y"
    sleep 0.2
  done
}

# Answers the box titled exactly $1 with key $2; false when no box came or it is still there after $3 seconds
# (default 10). Without a window manager the keyboard goes to the window under the pointer, so the pointer goes to
# the box first; Wine can take a moment to pass the key on.
answer_box() {
  local box x y width height
  box=$(wait_window "^$1\$") || return 1
  read -r x y width height < <(geometry "$box")
  xdotool mousemove $((x + width / 2)) $((y + height / 2)) key "$2"
  poll "${3:-10}" no_window "^$1\$"
}

# Is window $1 above window $2? xwininfo lists the root's children from the top down.
is_above() {
  local order
  order=$(xwininfo -root -children | grep -o -E '^ +0x[0-9a-f]+' | tr -d ' ')
  [[ $(grep -n -x "$(printf '0x%x' "$1")" <<<"$order" | cut -d: -f1) -lt \
     $(grep -n -x "$(printf '0x%x' "$2")" <<<"$order" | cut -d: -f1) ]]
}

# Copies the release into folder $1 with the virtual touch frame's libhidapi.dll instead of hidapi's and the shutdown
# stand-in beside the program, and writes setting_calibration.ini from the lines $2...
install_program() {
  local folder=$1
  shift
  rm -rf "$folder"
  cp -r "$release" "$folder"
  cp "$virtual_frame" "$shutdown_stand_in" "$folder/"
  printf '%s\r\n' "$@" >"$folder/setting_calibration.ini"
}

# The virtual frame's record, the skipped waits and any restart of a program in folder $1 go to files there whose
# names start with $2.
export_records() {
  export ORVESSA_VIRTUAL_FRAME_RECORD ORVESSA_E2E_WAIT_RECORD ORVESSA_SHUTDOWN_RECORD
  ORVESSA_VIRTUAL_FRAME_RECORD=$(windows_path "$1/$2record.txt")
  ORVESSA_E2E_WAIT_RECORD=$(windows_path "$1/$2waits.txt")
  ORVESSA_SHUTDOWN_RECORD=$(windows_path "$1/$2shutdown.txt")
}

# Starts orvessa.exe of folder $1 with the arguments after it, its process id in $launched. Its records go to
# record.txt, waits.txt and shutdown.txt there; the frame has its usual interface unless FRAME_INTERFACES is set.
launch() {
  local folder=$1
  shift
  rm -f "$folder"/{record,waits,shutdown}.txt
  (
    export_records "$folder" ""
    [[ -n "${FRAME_INTERFACES+set}" ]] && export ORVESSA_VIRTUAL_FRAME_INTERFACES=$FRAME_INTERFACES
    exec "$wine64" "$folder/orvessa.exe" "$@" >"$folder/stdout.txt" 2>"$folder/stderr.txt"
  ) &
  launched=$!
  track "$launched"
}

# Background processes are kept out of the shell's job table, so that one ended from outside (the installer ends a
# running orvessa.exe) is not reported; stop() waits for its end all the same.
track() {
  started+=("$1")
  disown "$1"
}
gone_process() { ! kill -0 "$1" 2>/dev/null; }
stop() {
  kill "$1" 2>/dev/null || true
  poll 10 gone_process "$1" || true
}

# Whether the screen shows pure red around ($1, $2), where a target drawn as missed has its circle and cross.
red_around() {
  local red
  red=$(import -silent -window root png:- | convert png:- -crop 64x64+$(($1 - 32))+$(($2 - 32)) +repage \
    -fill black +opaque red -fill white -opaque red -format '%[fx:round(mean*w*h)]' info:)
  ((red > 100))
}

# The written reports of a frame record, one line of hexadecimal bytes each.
writes() { sed -n 's/^write .* bytes=//p' "$1/record.txt"; }
lines_of() { grep -c -E "$2" "$1/record.txt" || true; }

# Where the centre of main-window button $2 (0: 4点校准开始 ... 5: 双击优化, 6: 退出) is for window $1: the seven
# visible buttons are one every 70 px, the first 55 px below the top, all 190 px from the left.
button() {
  local x y width height
  read -r x y width height < <(geometry "$1")
  echo $((x + 190)) $((y + 55 + 70 * $2))
}

# --- set-up ---------------------------------------------------------------------------------------------------------
# Xvfb picks a free display itself and writes its number once it accepts clients.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -nolock -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 display_number <"$work/display"
export DISPLAY=":$display_number"
"$wine64" wineboot --init >/dev/null 2>&1
# The values a fresh Windows user has, which Wine's prefix leaves out.
for value in DoubleClickHeight:4 DoubleClickWidth:4 DoubleClickSpeed:500; do
  "$wine64" reg add 'HKCU\Control Panel\Mouse' /v "${value%%:*}" /t REG_SZ /d "${value#*:}" /f >/dev/null 2>&1
done
echo "Wine prefix $WINEPREFIX, X display $DISPLAY"

# --- 1. files -------------------------------------------------------------------------------------------------------
section "release files"
subsystem=$(x86_64-w64-mingw32-objdump -p "$release/orvessa.exe" | sed -n 's/^Subsystem[[:space:]]*//p')
expect "orvessa.exe is a GUI program (no console window)" "$subsystem" "00000002	(Windows GUI)"
resources=$(x86_64-w64-mingw32-windres -i "$release/orvessa.exe" -O rc)
if grep -q -F '"IDI_ICON1" 14' <<<"$resources" && grep -q -F '"\200\200\000\000", 1, 32' <<<"$resources"; then
  pass "icon IDI_ICON1, 128 x 128"
else
  fail "icon IDI_ICON1, 128 x 128"
fi
expect "version information" "$(sed -n 's/.*VALUE "FileVersion", "\(.*\)"/\1/p' <<<"$resources")" "$version"
expect "the zip holds the release folder" \
  "$(unzip -Z1 "$release.zip" | grep -v '/$' | sort | xargs)" \
  "$(cd "$build" && find "$(basename "$release")" -type f | sort | xargs)"
exports() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -o -E '[a-z_]+$'
}
expect "virtual frame DLL exports what hidapi's does" "$(exports "$virtual_frame" | xargs)" \
  "$(exports "$release/libhidapi.dll" | xargs)"

# --- 2. unit and widget tests -------------------------------------------------------------------------------------
section "unit and widget tests under Wine"
# The test programs find Qt and the MinGW runtime through Wine's PATH.
WINEPATH="$(windows_path "$toolchain/qt/bin");$(windows_path "$toolchain/mingw-runtime")"
export WINEPATH
if (cd "$build" && LANG=C.UTF-8 ctest --output-on-failure --timeout 300 -j "$(nproc)" >"$work/ctest.txt" 2>&1); then
  pass "$(grep -o -E '[0-9]+ tests passed, 0 tests failed out of [0-9]+|[0-9]+% tests passed.*' "$work/ctest.txt")"
else
  cat "$work/ctest.txt"
  fail "ctest in build-windows"
fi
unset WINEPATH

# --- 3. the program -----------------------------------------------------------------------------------------------
section "orvessa.exe on the virtual frame"
main_title="^Orvessa  Ver ${version//./\\.}\$"
program="$work/program"
install_program "$program" "[config]" "language=2"
launch "$program"
first=$launched
window=$(wait_window "$main_title" "$first") || window=""
if [[ -z "$window" ]]; then
  fail "main window" "none titled 'Orvessa  Ver $version'; $(cat "$program/stderr.txt")"
else
  pass "main window titled 'Orvessa  Ver $version'"
  # Centred across the 1920 px screen, the frame's top at 0.382 of the free height (0.382 x (1080 - 524) = 212);
  # Wine keeps the 23 px title bar above the client area, which X shows.
  expect "main window placement (x y width height)" "$(geometry "$window")" "770 $((212 + 23)) 380 524"
  expect "window mode: Vantrel present and empty" \
    "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Vantrel || echo '<missing>')" ""
  xdotool mousemove 0 0  # no button lit up under the pointer
  sleep 0.5
  import -window "$window" "$screenshots/main-window-wine-zh.png"

  # Single instance: another window covers the first; a second launch is refused and raises the first.
  xmessage -geometry 600x700+650+150 "covering window" >/dev/null 2>&1 &
  cover=$!
  track "$cover"
  poll 10 has_window '^xmessage$' || true
  cover_window=$(window_titled '^xmessage$')
  if [[ -n "$cover_window" ]] && is_above "$cover_window" "$window"; then
    pass "another window covers the running one"
  else
    fail "another window covers the running one"
  fi
  second_status=0
  (export_records "$program" second- && exec "$wine64" "$program/orvessa.exe") >/dev/null 2>"$work/second-stderr.txt" \
    || second_status=$?
  expect "second launch ends with exit code 0" "$second_status" 0
  expect "second launch says why" "$(od -A n -c "$work/second-stderr.txt" | tr -s ' ')" \
    "$(printf 'orvessa.exe already running.\r\n' | od -A n -c | tr -s ' ')"
  if [[ -n "$cover_window" ]] && poll 10 is_above "$window" "$cover_window"; then
    pass "the running window comes to the front"
  else
    fail "the running window comes to the front"
  fi
  stop "$cover"

  # A second launch while a box blocks the window: the box stays above the window it blocks.
  read -r x y < <(button "$window" 4)
  click "$x" "$y"
  box=$(wait_window '^确认对话框$' "$first") || box=""
  (export_records "$program" second- && exec "$wine64" "$program/orvessa.exe") >/dev/null 2>&1 || true
  sleep 1
  if [[ -n "$box" ]] && is_above "$box" "$window"; then
    pass "a second launch leaves the open box above the window"
  else
    fail "a second launch leaves the open box above the window"
  fi
  answer_box '确认对话框' Escape || fail "the box answered No with Escape"

  # A 4-point calibration with the taps of the Linux end-to-end test that land on the targets: the same upload.
  read -r x y < <(button "$window" 0)
  click "$x" "$y"
  targets=$(wait_window '^Dialog$' "$first") || targets=""
  expect "target window covers the screen" "$([[ -n "$targets" ]] && geometry "$targets")" "0 0 1920 1080"
  tap "287 161" "1631 161" "287 917" "1631 917"
  click 960 437  # "保存"
  answer_box OK Return || fail "\"OK\" box after saving"
  poll 10 grep -q '^close handle=1' "$program/record.txt" || true
  upload="A3 55 61 49 00 10 00 00 00 00 00 6D 09 00 00 00 00 00 00 49 00 10 00 6E 11 00 00 00 00 00 00 00 00 00 00 FF"
  upload+=$(printf ' 00%.0s' {1..27})
  expect "calibration: start query, then the projective upload, byte for byte" \
    "$(writes "$program" | cut -c 1-8 | xargs)" "A3 55 51 A3 55 61"
  expect "the upload equals the Linux end-to-end expectation" "$(writes "$program" | sed -n 2p)" "$upload"
  expect "one 1.5 s wait before the open, skipped" "$(xargs <"$program/waits.txt")" "wait 1500"

  # A 9-point run whose centre target is touched 300 px off: the target is drawn red before the save question, and
  # saving anyway sends the same upload, since the corners alone make it.
  read -r x y < <(button "$window" 1)
  click "$x" "$y"
  targets=$(wait_window '^Dialog$' "$first") || targets=""
  tap "287 161" "960 161" "1631 161" "287 540" "1260 540" "1631 540" "287 917" "960 917" "1631 917"
  if poll 10 red_around 960 540; then pass "a missed target is drawn red"; else fail "a missed target is drawn red"; fi
  if red_around 287 540; then fail "a target touched right is not drawn red"; else pass "a target touched right is not drawn red"; fi
  click 960 437  # "保存"
  answer_box OK Return || fail "\"OK\" box after saving"
  poll 10 grep -q '^close handle=2' "$program/record.txt" || true
  expect "the upload of a run with a missed inner target is the corners' upload" "$(writes "$program" | sed -n 4p)" \
    "$upload"

  # The first touch of a run, Escape, and a new run touching the very same spots: every one of them is taken.
  read -r x y < <(button "$window" 0)
  click "$x" "$y"
  targets=$(wait_window '^Dialog$' "$first") || targets=""
  click 287 161
  sleep 0.3
  xdotool key Escape
  answer_box Error Return || fail "\"Error\" box after Escape"
  click "$x" "$y"
  targets=$(wait_window '^Dialog$' "$first") || targets=""
  tap "287 161" "1631 161" "287 917" "1631 917"
  click 960 437  # "保存"
  answer_box OK Return || fail "\"OK\" box after a run that follows an abandoned one"
  poll 10 grep -q '^close handle=4' "$program/record.txt" || true
  expect "a run after an abandoned first touch: abandon, then the same upload" \
    "$(writes "$program" | sed -n '5,7p' | cut -c 1-8 | xargs)" "A3 55 51 A3 55 77 A3 55 51"
  expect "... and its upload" "$(writes "$program" | sed -n 8p)" "$upload"

  # Clearing, answered Yes (the default).
  read -r x y < <(button "$window" 4)
  click "$x" "$y"
  answer_box '确认对话框' Return || fail "clear question"
  answer_box OK Return || fail "\"OK\" box after clearing"
  poll 10 grep -q '^close handle=5' "$program/record.txt" || true
  expect "clear report" "$(writes "$program" | sed -n 9p)" "A3 55 88 FF$(printf ' 00%.0s' {1..59})"
  expect "every open closed" "$(lines_of "$program" '^open .*handle=')" "$(lines_of "$program" '^close ')"

  # The double-click optimisation against the registry. The question has no escape button and Return picks
  # "稍后重启"; once the values are on target, the one-button "already optimised" box closes with Escape.
  mouse='HKCU\Control Panel\Mouse'
  read -r x y < <(button "$window" 5)
  click "$x" "$y"
  if answer_box OK Escape 3; then
    fail "the restart question has no escape button"
  else
    pass "the restart question has no escape button"
  fi
  answer_box OK Return || fail "restart question answered with Return"
  for value in DoubleClickHeight:50 DoubleClickWidth:50 DoubleClickSpeed:500; do
    expect "$mouse\\${value%%:*} (REG_SZ)" \
      "$("$wine64" reg query "$mouse" /v "${value%%:*}" | tr -d '\r' | grep -o 'REG_SZ .*' | xargs)" \
      "REG_SZ ${value#*:}"
  done
  click "$x" "$y"
  if answer_box OK Escape; then pass "second time: already optimised"; else fail "second time: already optimised"; fi
  "$wine64" reg add "$mouse" /v DoubleClickSpeed /t REG_SZ /d 400 /f >/dev/null 2>&1
  click "$x" "$y"
  wait_window '^OK$' >/dev/null || true
  xdotool key shift+Tab
  sleep 0.3
  xdotool key space  # "现在重启"
  poll 10 test -s "$program/shutdown.txt" || true
  expect "现在重启 starts shutdown -r -t 0 (the stand-in beside the program)" \
    "$(tr -d '\r' <"$program/shutdown.txt" 2>/dev/null)" "shutdown -r -t 0"
  if kill -0 "$first" 2>/dev/null; then pass "nothing restarted"; else fail "nothing restarted"; fi
fi
stop "$first"

# No frame plugged in: the warning, and nothing reaches any device.
FRAME_INTERFACES="" launch "$program"
pid=$launched
window=$(wait_window "$main_title" "$pid") || window=""
if [[ -n "$window" ]]; then
  read -r x y < <(button "$window" 4)
  click "$x" "$y"
  answer_box '确认对话框' Return || fail "clear question without a frame"
  if answer_box Error Return; then pass "no frame: the \"Error\" warning"; else fail "no frame: the \"Error\" warning"; fi
  expect "no frame: nothing opened or written" "$(lines_of "$program" '^(open|write) ')" 0
else
  fail "main window without a frame"
fi
stop "$pid"

# orvessa-frame.exe, the command-line companion, from the same folder and on the same virtual frame: the report the
# clear button sends, and the statuses scripts rely on. Its output goes to tool.txt, its status to $tool_status.
run_frame_tool() {
  rm -f "$program"/{record,waits}.txt
  tool_status=0
  (
    export_records "$program" ""
    [[ -n "${FRAME_INTERFACES+set}" ]] && export ORVESSA_VIRTUAL_FRAME_INTERFACES=$FRAME_INTERFACES
    [[ -n "${FRAME_FAIL_OPEN:-}" ]] && export ORVESSA_VIRTUAL_FRAME_FAIL_OPEN=$FRAME_FAIL_OPEN
    exec "$wine64" "$program/orvessa-frame.exe" "$@"
  ) >"$program/tool.txt" 2>&1 || tool_status=$?
}
tool_says() { tr -d '\r' <"$program/tool.txt" | grep -c -F -- "$1" || true; }
run_frame_tool --version
expect "orvessa-frame --version" "$tool_status $(tr -d '\r' <"$program/tool.txt")" "0 orvessa-frame $version"
run_frame_tool list
expect "orvessa-frame list: the frame would be used" "$tool_status $(grep -c 'would be used' "$program/tool.txt")" "0 1"
run_frame_tool clear
expect "orvessa-frame clear: the clear button's report" "$tool_status $(writes "$program")" \
  "0 A3 55 88 FF$(printf ' 00%.0s' {1..59})"
expect "orvessa-frame clear: one 1.5 s wait before the open, skipped" "$(xargs <"$program/waits.txt")" "wait 1500"
FRAME_INTERFACES="" run_frame_tool clear
expect "orvessa-frame clear without a frame: status 1, nothing written" \
  "$tool_status $(lines_of "$program" '^write ')" "1 0"
# A frame unplugged between the search and the open is no frame (1), not one this user may not open (2).
FRAME_FAIL_OPEN="virtual-frame:0=ENOENT" run_frame_tool clear
expect "orvessa-frame clear, frame gone before the open: status 1, says it went away" \
  "$tool_status $(tool_says 'went away before it could be opened')" "1 1"
FRAME_FAIL_OPEN="virtual-frame:0=EACCES" run_frame_tool clear
expect "orvessa-frame clear, access refused: status 2" "$tool_status $(tool_says 'cannot be opened')" "2 1"
FRAME_FAIL_OPEN="virtual-frame:0=ENOENT" run_frame_tool list
expect "orvessa-frame list, frame gone before the open: \"went away\", status 1" \
  "$tool_status $(tool_says 'FF00:00A3  went away: ')" "1 1"
# A settings file the program would not read: list says why and takes the defaults.
mv "$program/setting_calibration.ini" "$program/setting_calibration.ini.kept"
mkdir "$program/setting_calibration.ini"
run_frame_tool list
expect "orvessa-frame list, a folder in the settings file's place: not read" \
  "$(tool_says '(not read: a folder, not a regular file; the built-in defaults apply)')" 1
rmdir "$program/setting_calibration.ini"
truncate -s 2M "$program/setting_calibration.ini"
run_frame_tool list
expect "orvessa-frame list, a settings file of 2 MiB: not read" \
  "$(tool_says '(not read: 2097152 bytes, more than the 1 MiB a settings file may have;')" 1
mv "$program/setting_calibration.ini.kept" "$program/setting_calibration.ini"

# The desktop's view of the frame: the Tablet PC settings' mapping of its digitizer to a display and Windows' own
# calibration data for it, put where Windows keeps them with `reg add` (values named after the digitizer's device
# path, which holds the frame's VID and PID); the display is Wine's one monitor, by its interface path.
digimon='HKLM\SOFTWARE\Microsoft\Wisp\Pen\Digimon'
linearity='HKLM\SYSTEM\CurrentControlSet\Control\TabletPC\LinearityData'
digitizer='\\?\HID#VID_28E1&PID_0001&Col01#7&1f5a1e2c&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}'
monitor=$("$wine64" reg query 'HKLM\SYSTEM\CurrentControlSet\Control\DeviceClasses\{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}' |
  tr -d '\r' | sed -n 's/.*\\##?#\(DISPLAY#.*\)$/\\\\?\\\1/p' | head -1)
tool_says() { tr -d '\r' <"$program/tool.txt" | grep -c -F -x -- "$1" || true; }
run_frame_tool list
expect "orvessa-frame list, no Tablet PC setting: Windows chooses the display" \
  "$tool_status $(tool_says "  verdict: mapping unknown: no Tablet PC mapping: Windows chooses the display itself")" "0 1"
"$wine64" reg add "$digimon" /v "20-$digitizer" /t REG_SZ /d "$monitor" /f >/dev/null 2>&1
"$wine64" reg add "$linearity" /v "$digitizer" /t REG_BINARY /d 0102030405060708 /f >/dev/null 2>&1
run_frame_tool list
expect "orvessa-frame list: the digitizer mapped to \\.\DISPLAY1" \
  "$tool_status $(tool_says '  verdict: mapped to \\.\DISPLAY1')" "0 1"
expect "orvessa-frame list: Windows' calibration data on top of the frame's" \
  "$(tool_says "  verdict: an OS correction is active on top of the frame's")" 1
run_frame_tool reset-os-correction
expect "orvessa-frame reset-os-correction: changes nothing, names the value and its reg delete" \
  "$tool_status $(tool_says "the session is Windows, whose correction is not changed from here; nothing is changed") \
$(tr -d '\r' <"$program/tool.txt" | grep -c -F "reg delete \"$linearity\" /v \"$digitizer\" /f")" "0 1 1"
run_frame_tool map --screen 0
expect "orvessa-frame map: the Tablet PC steps, nothing changed" \
  "$tool_status $(grep -c 'Windows places the touches by its Tablet PC settings: nothing is changed here' "$program/tool.txt")" \
  "0 1"
expect "orvessa-frame map: the registry as it was" \
  "$("$wine64" reg query "$digimon" /v "20-$digitizer" | tr -d '\r' | grep -c -F "$monitor")" 1
"$wine64" reg delete "$digimon" /v "20-$digitizer" /f >/dev/null 2>&1
"$wine64" reg delete "$linearity" /v "$digitizer" /f >/dev/null 2>&1

# Tray mode: the autostart value is the quoted path with -bg.
install_program "$program" "[config]" "language=2" "systray=1"
launch "$program"
pid=$launched
if window=$(wait_window "$main_title" "$pid"); then
  expect "tray mode: Vantrel is the quoted path with -bg" \
    "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Vantrel)" \
    "\"$(windows_path "$program/orvessa.exe")\" -bg"
  # "隐藏到系统托盘" hides the window; launching the program again brings it back.
  read -r x y < <(button "$window" 6)
  click "$x" "$y"
  if poll 10 no_window "$main_title" "$pid"; then
    pass "tray mode: the exit button hides the window"
  else
    fail "tray mode: the exit button hides the window"
  fi
  (export_records "$program" second- && exec "$wine64" "$program/orvessa.exe") >/dev/null 2>&1 || true
  if poll 10 has_window "$main_title" "$pid"; then
    pass "tray mode: a second launch shows the hidden window"
  else
    fail "tray mode: a second launch shows the hidden window"
  fi
else
  fail "main window in tray mode"
fi
stop "$pid"

# English, from the catalogue beside the program.
install_program "$program" "[config]" "language=1"
launch "$program"
pid=$launched
if window=$(wait_window "$main_title" "$pid"); then
  xdotool mousemove 0 0
  sleep 0.5
  import -window "$window" "$screenshots/main-window-wine-en.png"
  if cmp -s "$screenshots/main-window-wine-en.png" "$screenshots/main-window-wine-zh.png"; then
    fail "English interface" "looks like the Chinese one"
  else
    pass "English interface (screenshots in $screenshots)"
  fi
else
  fail "main window in English"
fi
stop "$pid"

# A damaged English catalogue (one byte changed, as a probe found: it crashed the first tr()) is refused, and the
# program starts in Chinese.
install_program "$program" "[config]" "language=1"
cp "$root/fuzz/corpus/fuzz_catalogue/probe_offset_823" "$program/LANG.Cali.en_US.qm"
launch "$program"
pid=$launched
if wait_window "$main_title" "$pid" >/dev/null && sleep 2 && kill -0 "$pid" 2>/dev/null; then
  pass "a damaged catalogue: the program starts and keeps running"
else
  fail "a damaged catalogue: the program starts and keeps running" "$(cat "$program/stderr.txt")"
fi
stop "$pid"

# The DLLs (lower case, '/' separators) that orvessa.exe of folder $1 loads until its main window shows, with the
# Wine variables given after the folder.
loaded_dlls() {
  local folder=$1 pid
  shift
  # shellcheck disable=SC2163  # "$@" are NAME=value words
  (export WINEDEBUG=-all,+loaddll "$@" && exec "$wine64" "$folder/orvessa.exe") >/dev/null 2>"$folder/loaddll.txt" &
  pid=$!
  track "$pid"
  wait_window "$main_title" "$pid" >/dev/null || echo "<no window>"
  sleep 1
  stop "$pid"
  grep -o -E 'Loaded L"[^"]*"' "$folder/loaddll.txt" | sed 's/^Loaded L"//; s/"$//; s/\\\\/\//g' | tr 'A-Z' 'a-z'
}
unix_to_loaded() { windows_path "$1" | tr '\\A-Z' '/a-z'; }

# The release folder as shipped, with hidapi's own DLL: every DLL and plugin in it is loaded.
shipped="$work/shipped"
cp -r "$release" "$shipped"
loaded=$(loaded_dlls "$shipped")
unused=""
while read -r file; do
  grep -q -F -x "$(unix_to_loaded "$shipped/$file")" <<<"$loaded" || unused+=" $file"
done < <(cd "$shipped" && find . -iname '*.dll' | sed 's|^\./||' | sort)
expect "the release folder loads every DLL and plugin it holds" "${unused# }$(grep -o '<no window>' <<<"$loaded")" ""
# The same folder without its plugins, offered every plugin of the toolchain instead: it takes those it ships.
rm -r "$shipped/platforms" "$shipped/styles"
loaded=$(loaded_dlls "$shipped" WINEQT_PLUGIN_PATH="$(windows_path "$toolchain/qt/plugins")")
expect "offered every Qt plugin, it loads those it ships" \
  "$(grep -F "$(unix_to_loaded "$toolchain/qt/plugins")" <<<"$loaded" | sed 's|.*/plugins/||' | sort | xargs)" \
  "$(cd "$release" && find platforms styles -name '*.dll' | sort | xargs)"

# --- 4. the installer ---------------------------------------------------------------------------------------------
section "installer"
installed="$WINEPREFIX/drive_c/Program Files/Orvessa"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Orvessa.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvessa'
status=0
"$wine64" "$setup" /S || status=$?
expect "silent install" "$status" 0
expect "installed files are the release folder and the uninstaller" \
  "$(cd "$installed" && find . -type f | sort | xargs)" \
  "$( (cd "$release" && find . -type f && echo ./uninstall.exe) | sort | xargs)"
if diff -r -q --exclude=uninstall.exe "$release" "$installed" >/dev/null; then
  pass "installed files are identical to the release's"
else
  fail "installed files are identical to the release's"
fi
if [[ -f "$shortcut" ]]; then pass "Start-menu shortcut"; else fail "Start-menu shortcut"; fi
expect "Apps & features entry" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"

# An administrator switches the installed program to tray mode; it starts, registers itself, and an upgrade over
# the running program keeps that setting.
printf '[config]\r\nlanguage=2\r\nsystray=1\r\n' >"$installed/setting_calibration.ini"
"$wine64" 'C:\Program Files\Orvessa\orvessa.exe' >/dev/null 2>&1 &
pid=$!
track "$pid"
if wait_window "$main_title" "$pid" >/dev/null; then
  pass "the installed program starts"
else
  fail "the installed program starts"
fi
expect "its autostart value" "$(reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Vantrel)" \
  '"C:\Program Files\Orvessa\orvessa.exe" -bg'
status=0
"$wine64" "$setup" /S || status=$?
expect "silent upgrade over the running program" "$status" 0
expect "the upgrade keeps the settings file" "$(tr -d '\r' <"$installed/setting_calibration.ini" | xargs)" \
  "[config] language=2 systray=1"
"$wine64" 'C:\Program Files\Orvessa\orvessa.exe' >/dev/null 2>&1 &
pid=$!
track "$pid"
wait_window "$main_title" "$pid" >/dev/null || fail "the upgraded program starts"

# The uninstaller copies itself away and returns at once: wait for the folder to go.
status=0
"$wine64" 'C:\Program Files\Orvessa\uninstall.exe' /S || status=$?
expect "silent uninstall" "$status" 0
gone() { [[ ! -e "$installed" ]]; }
if poll 60 gone; then pass "no file left"; else fail "no file left" "$(find "$installed" | tr '\n' ' ')"; fi
no_shortcut() { [[ ! -e "$shortcut" ]]; }
# The uninstaller removes the shortcut after the program's folder: wait for it as for the files.
if poll 30 no_shortcut; then pass "no shortcut left"; else fail "no shortcut left"; fi
if reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Vantrel >/dev/null; then
  fail "no Vantrel value left"
else
  pass "no Vantrel value left"
fi
if reg_value "$uninstall_key" DisplayVersion >/dev/null; then
  fail "no Apps & features entry left"
else
  pass "no Apps & features entry left"
fi

echo
if [[ ${#failures[@]} -gt 0 ]]; then
  echo "${#failures[@]} Windows check(s) failed: ${failures[*]}"
  exit 1
fi
echo "All Windows checks passed."
