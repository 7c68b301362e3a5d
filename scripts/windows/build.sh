#!/usr/bin/env bash
# Cross-builds the Windows release of the program and its test suite into build-windows/ (Release, mingw-w64,
# through the toolchain's qt-cmake), warnings as errors. Run scripts/windows/toolchain.sh first.
# ctest in build-windows/ runs the tests under Wine (wine-test.sh); scripts/windows/test.sh sets Wine up for it.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"
install_windows_packages
require_toolchain

"$toolchain/qt/bin/qt-cmake" -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -Dhidapi_DIR="$toolchain/hidapi/lib/cmake/hidapi" \
  -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/windows/wine-test.sh" >/dev/null
cmake --build "$build"
echo "Windows build: $build/bin/orvessa.exe"
