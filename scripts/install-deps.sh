#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with; does nothing when all are present.
# With arguments, installs those packages instead (the Windows release's scripts pass theirs).
# Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev
  libhidapi-dev libhidapi-hidraw0
  libumockdev-dev umockdev
  xvfb xdotool x11-utils x11-xserver-utils imagemagick fonts-wqy-microhei
  dpkg-dev file desktop-file-utils             # the Debian package (scripts/package-test.sh): shlibdeps, launcher check
  help2man                                     # the programs' manual pages, rendered from their --help
  clang libclang-rt-14-dev clang-tidy python3  # fuzzers (scripts/fuzz.sh), the lint (scripts/test.sh --lint)
  libxcb1-dev libbenchmark-dev                 # benchmarks (bench/): X server watch, Google Benchmark
  libxcb-xinput-dev libxcb-randr0-dev          # the desktop's view of the frame: XInput devices, RandR monitors
  libxcb-record0-dev xinput x11-xserver-utils  # tests: the X requests orvessa-frame sends, Xvfb devices and monitors
  libglib2.0-bin dbus-daemon                   # gsettings, gdbus, gio launch; a private session bus in tests
  sway wtype qt6-wayland libwayland-dev wayland-protocols  # the Wayland end-to-end test: compositor, keys, Qt's platform
  gsettings-desktop-schemas dconf-gsettings-backend dconf-service xfconf libxfconf-0-3  # desktops' stores in tests
  mate-settings-daemon-common cinnamon-desktop-data  # MATE's and Cinnamon's double-click keys (schemas only)
)

[[ $# -gt 0 ]] && packages=("$@")

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive

# Another package manager may hold the locks for minutes, as unattended upgrades do after a fresh boot: wait for it
# rather than fail. apt-get waits for dpkg's lock itself (DPkg::Lock::Timeout); apt-get update does not wait for the
# package lists' lock (apt 2.6), so it is tried again while another holds that.
lock_wait=600
apt_options=(-o "DPkg::Lock::Timeout=$lock_wait")
update_package_lists() {
  local deadline=$((SECONDS + lock_wait)) output told=0
  until output=$("${as_root[@]}" env LC_ALL=C apt-get update -qq "${apt_options[@]}" 2>&1); do
    if [[ "$output" != *"Could not get lock"* ]] || ((SECONDS >= deadline)); then
      echo "$output" >&2
      return 1
    fi
    ((told)) || echo "Waiting for another package manager to release the package lists (up to $lock_wait s)" >&2
    told=1
    sleep 2
  done
  [[ -z "$output" ]] || echo "$output" >&2
}
update_package_lists
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${apt_options[@]}" "${missing[@]}" >/dev/null
