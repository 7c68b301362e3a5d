# Shared by the scripts of the Windows release (sourced, not run): folders, the Debian packages they need, Wine.
# shellcheck shell=bash disable=SC2034  # the variables are the sourcing scripts'

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="$root/build-windows"
toolchain_name=mingw-w64-qt6.4.2-hidapi0.13.1
# Where toolchain.sh puts the cross toolchain and the other scripts look for it.
toolchain="${ORVESSA_WINDOWS_TOOLCHAIN:-${XDG_CACHE_HOME:-$HOME/.cache}/orvessa/$toolchain_name}"
wine64=/usr/lib/wine/wine64  # Debian 12 keeps it off PATH

windows_packages=(
  g++-mingw-w64-x86-64-posix cmake ninja-build xz-utils       # the cross compiler (its objdump walks the imports)
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools  # the host side of Qt 6.4.2: moc, uic, rcc, lrelease
  nsis zip unzip                                               # the installer and the zip
  wine wine64 xvfb xdotool x11-utils imagemagick fonts-wqy-microhei  # the tests under Wine, screenshots
)

# Installs what is missing of windows_packages; needs root (or sudo) only then.
install_windows_packages() {
  "$root/scripts/install-deps.sh" "${windows_packages[@]}"
}

require_toolchain() {
  if [[ ! -x "$toolchain/qt/bin/qt-cmake" ]]; then
    echo "No Windows toolchain in $toolchain: run scripts/windows/toolchain.sh first" >&2
    exit 1
  fi
}

# The project's version as CMake has it (project(VERSION)), from the configured build.
project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"
}
