#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest (the build's CMAKE_CROSSCOMPILING_EMULATOR).
# Needs WINEPREFIX and WINEPATH from scripts/windows/test.sh.
set -euo pipefail
# Wine keeps the Unix QT_* variables from Windows programs (they belong to the Linux Qt) and hands WINEQT_* on as
# QT_*: the tests' QT_QPA_PLATFORM and their other Qt settings go that way.
while IFS='=' read -r name _; do
  [[ $name == QT_* ]] && export "WINE$name=${!name}"
done < <(env)
# Qt Test on Windows logs to the debugger rather than to standard output unless a console window is attached,
# which Wine never has.
export WINEQT_FORCE_STDERR_LOGGING=1
exec "${WINE64:-/usr/lib/wine/wine64}" "$@"
