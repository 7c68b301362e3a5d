#!/usr/bin/env bash
# Prepares the cross toolchain of the Windows release in a cache folder: Qt 6.4.2 (qtbase) and hidapi 0.13.1 built
# for x86_64-w64-mingw32, the MinGW runtime DLLs and the CMake toolchain file. build.sh, package.sh and test.sh
# take it from there.
#   scripts/windows/toolchain.sh ARCHIVE   unpacks a prebuilt mingw-w64-qt6.4.2-hidapi0.13.1.tar.xz, checked
#                                          against the .sha256 file beside it when there is one
#   scripts/windows/toolchain.sh           builds the same toolchain from Debian 12's source packages with
#                                          build-toolchain.sh (about an hour on two cores), then unpacks it
# The folder is $ORVESSA_WINDOWS_TOOLCHAIN, by default ~/.cache/orvessa/mingw-w64-qt6.4.2-hidapi0.13.1; a toolchain
# already unpacked there from the same archive is kept. Prints the folder on the last line.
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"
install_windows_packages

archive=${1:-}
stamp="$toolchain/.unpacked-from"
if [[ -z "$archive" ]]; then
  if [[ -f "$stamp" ]]; then
    echo "$toolchain"
    exit 0
  fi
  work="$toolchain.build"
  echo "Building the Windows toolchain from Debian's source packages in $work: about an hour on two cores." >&2
  bash "$root/scripts/windows/build-toolchain.sh" "$work" "$work/out" >&2
  archive="$work/out/$toolchain_name.tar.xz"
fi
if [[ ! -f "$archive" ]]; then
  echo "No such archive: $archive" >&2
  exit 1
fi
if [[ -f "$archive.sha256" ]]; then
  (cd "$(dirname "$archive")" && sha256sum --check --quiet "$(basename "$archive").sha256") >&2
fi

checksum=$(sha256sum "$archive" | cut -d ' ' -f 1)
if [[ -f "$stamp" && "$(cat "$stamp")" == "$checksum" ]]; then
  echo "$toolchain"
  exit 0
fi
# Unpacked beside the final place and moved there whole, so that an interrupted unpack leaves no half toolchain.
mkdir -p "$(dirname "$toolchain")"
partial=$(mktemp -d "$toolchain.XXXXXX")
tar -xJf "$archive" -C "$partial"
echo "$checksum" >"$partial/.unpacked-from"
rm -rf "$toolchain"
mv "$partial" "$toolchain"
echo "Windows toolchain unpacked from $archive" >&2
echo "$toolchain"
