#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get, checks that the installed program runs (and refuses a second
# copy), then purges the package and checks that nothing it installed is left. Needs root (or sudo): it really
# installs into /usr and /etc. Refuses to run when an orvessa package is already installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

fail() {
  echo "package test: $*" >&2
  exit 1
}

status=$(dpkg-query -W -f='${Status}' orvessa 2>/dev/null || true)
if [[ -n "$status" && "$status" != *not-installed ]]; then
  fail "an orvessa package is installed already; purge it first (apt-get purge orvessa)"
fi

desktop-file-validate "$root/packaging/linux/orvessa.desktop" || fail "the launcher is not a valid desktop entry"

build="$root/build-package"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVESSA_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_SYSCONFDIR=/etc >/dev/null
cmake --build "$build"
rm -f "$build"/orvessa_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/orvessa_*.deb)
echo "Built $package"
dpkg-deb --info "$package" | sed -n '/Package:/,$p'
[[ "$(dpkg-deb --field "$package" Depends)" == *"fonts-noto-cjk | fonts-wqy-microhei"* ]] ||
  fail "the package does not bring a Chinese font, without which every label is empty boxes"
[[ "$(dpkg-deb --field "$package" Depends)" == *"libglib2.0-bin"* ]] ||
  fail "the package does not bring gdbus and gsettings, which the restart and GNOME's double-click setting use"
[[ "$(dpkg-deb --field "$package" Recommends)" == *"qt6-wayland"* ]] ||
  fail "the package does not recommend Qt's Wayland platform; under Xwayland Return calibrates the wrong screen"

work=$(mktemp -d)
program_pid=""
cleanup() {
  if [[ -n "$program_pid" ]]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

"${as_root[@]}" apt-get install -y -qq "$package" >/dev/null
dpkg-query -L orvessa | sort >"$work/installed"
while read -r path; do
  [[ -d "$path" && ! -L "$path" ]] || echo "$path"
done <"$work/installed" >"$work/files"
echo "Installed $(wc -l <"$work/files") files"
[[ -n "$(fc-list :lang=zh-cn family)" ]] || fail "no Chinese font after installing the package"

for expected in /usr/bin/orvessa /usr/lib/orvessa/orvessa /usr/lib/orvessa/LANG.Cali.en_US.qm \
  /usr/lib/orvessa/setting_calibration.ini /etc/orvessa/setting_calibration.ini \
  /usr/share/applications/orvessa.desktop /usr/share/icons/hicolor/256x256/apps/orvessa.png \
  /usr/bin/orvessa-frame /usr/lib/orvessa/orvessa-frame \
  /usr/share/bash-completion/completions/orvessa-frame; do
  grep -qxF "$expected" "$work/files" || fail "$expected is not in the package"
  [[ -e "$expected" ]] || fail "$expected is missing after installation"
done
for rule in "$root"/packaging/linux/*.rules; do
  [[ -e "$rule" ]] || continue
  grep -qxF "/usr/lib/udev/rules.d/$(basename "$rule")" "$work/files" || fail "udev rule $(basename "$rule") missing"
done
grep -qxF /etc/orvessa/setting_calibration.ini <(dpkg-query --control-show orvessa conffiles | awk '{print $1}') \
  || fail "/etc/orvessa/setting_calibration.ini is not a conffile"

# The installed program, started through /usr/bin the way the launcher does, in a private home.
mkdir -m 700 "$work/home" "$work/run"
environment=(HOME="$work/home" XDG_RUNTIME_DIR="$work/run" XDG_CONFIG_HOME="$work/home/.config"
  QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 QT_LOGGING_RULES=orvessa.language.info=true)
start_first() {
  env "${environment[@]}" orvessa >/dev/null 2>"$work/first.err" &
  program_pid=$!
  for _ in $(seq 100); do
    [[ -S "$work/run/orvessa" ]] && break
    kill -0 "$program_pid" 2>/dev/null || fail "the installed program ended at start: $(cat "$work/first.err")"
    sleep 0.1
  done
  [[ -S "$work/run/orvessa" ]] || fail "the installed program did not start its single-instance socket"
  [[ "$(readlink "/proc/$program_pid/exe")" == /usr/lib/orvessa/orvessa ]] || fail "orvessa is not the installed one"
}
stop_first() {
  kill "$program_pid"
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
}
# The program says which catalogue it loaded when asked through Qt's logging rules (once at start, before the
# single-instance socket exists), and why it refused one without being asked.
catalogue_loaded() {
  grep -qF "English catalogue loaded from /usr/lib/orvessa/LANG.Cali.en_US.qm" "$work/first.err"
}

start_first
catalogue_loaded || fail "the English catalogue beside the executable was not loaded (C.UTF-8 locale): $(cat "$work/first.err")"
set +e
second_err=$(env "${environment[@]}" orvessa 2>&1 >/dev/null)
second_status=$?
set -e
[[ $second_status -eq 0 ]] || fail "a second launch ended with exit code $second_status"
[[ "$second_err" == "orvessa already running." ]] || fail "a second launch printed '$second_err'"
kill -0 "$program_pid" || fail "the first instance ended when the second started"
stop_first
echo "Installed program runs; a second launch says \"$second_err\" and exits 0"

# The tool, started through /usr/bin, reads the settings file the program reads (0, 1 or 2: a frame or none).
set +e
tool_out=$(env "${environment[@]}" orvessa-frame list)
tool_status=$?
set -e
[[ $tool_status -le 2 ]] || fail "orvessa-frame list ended with $tool_status: $tool_out"
grep -qxF "settings: /usr/lib/orvessa/setting_calibration.ini" <<<"$tool_out" \
  || fail "orvessa-frame list did not read /usr/lib/orvessa/setting_calibration.ini: $tool_out"
# Read from the package itself: minimal systems may keep dpkg from unpacking manual pages.
contents=$(dpkg-deb -c "$package")
for page in orvessa orvessa-frame; do
  grep -q "\./usr/share/man/man1/$page\.1\.gz\$" <<<"$contents" || fail "$page's manual page is not in the package"
done
echo "orvessa-frame runs from /usr/bin and reads the program's settings file"

# The settings file is read through the link beside the executable: "language=2" means no English at all.
"${as_root[@]}" sed -i 's/^language=0$/language=2/' /etc/orvessa/setting_calibration.ini
start_first
! catalogue_loaded || fail "language=2 in /etc/orvessa/setting_calibration.ini did not reach the program"
stop_first
echo "The settings file in /etc/orvessa reaches the program"

"${as_root[@]}" apt-get purge -y -qq orvessa >/dev/null
status=$(dpkg-query -W -f='${Status}' orvessa 2>/dev/null || true)
[[ -z "$status" || "$status" == *not-installed ]] || fail "dpkg still lists the package after purge: $status"
left=0
while read -r path; do
  if [[ -e "$path" || -L "$path" ]]; then
    echo "left behind: $path" >&2
    left=1
  fi
done <"$work/files"
for folder in /usr/lib/orvessa /etc/orvessa; do
  [[ ! -e "$folder" ]] || { echo "left behind: $folder" >&2; left=1; }
done
[[ $left -eq 0 ]] || fail "the purge left files behind"
echo "Purge removed every installed file"
echo "package test passed"
