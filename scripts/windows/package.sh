#!/usr/bin/env bash
# Makes the Windows release from build-windows/ (scripts/windows/build.sh), all under build-windows/:
#   orvessa-<version>-windows-x64/       the deployable folder: what `cmake --install` lays out (the programs, the
#                                        English catalogue, an example setting_calibration.ini), the Qt plugins the
#                                        program loads, and every DLL the programs and plugins import, found by
#                                        walking their PE import tables
#   orvessa-<version>-windows-x64.zip    that folder, zipped
#   orvessa-<version>-setup.exe          the NSIS installer of that folder (packaging/windows/orvessa.nsi)
set -euo pipefail
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"
install_windows_packages
require_toolchain

version=$(project_version)
name="orvessa-$version-windows-x64"
folder="$build/$name"
rm -rf "$folder" "$folder.zip"
cmake --install "$build" --prefix "$folder" --strip >/dev/null

# Loaded by Qt at run time, so no import table names them: the Windows platform integration, without which no
# window opens, and the native widget style. test.sh checks under Wine that the program loads exactly these.
qt_plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)
for plugin in "${qt_plugins[@]}"; do
  install -D -m 644 "$toolchain/qt/plugins/$plugin" "$folder/$plugin"
done

dll_folders=("$toolchain/qt/bin" "$toolchain/hidapi/bin" "$toolchain/mingw-runtime")

# The DLL called $1 (any case) from the toolchain; nothing when the toolchain has none.
toolchain_dll() {
  find "${dll_folders[@]}" -maxdepth 1 -iname "$1" -print -quit
}

# Windows' own DLLs: those mingw-w64 has an import library for, and the API sets the loader resolves itself.
is_system_dll() {
  local base=${1,,}
  base=${base%.dll}
  [[ $base == api-ms-win-* || -f "/usr/x86_64-w64-mingw32/lib/lib$base.a" ]]
}

# Every program and plugin, then every DLL they bring in, breadth first: each import is copied beside the
# programs unless it is already there or belongs to Windows. An import found nowhere stops the packaging.
mapfile -t queue < <(cd "$folder" && find . -iname '*.exe' -o -iname '*.dll' | sed 's|^\./||' | sort)
for ((i = 0; i < ${#queue[@]}; i++)); do
  file=${queue[i]}
  while read -r dll; do
    [[ -z "$dll" ]] && continue
    [[ -n "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ]] && continue
    source_dll=$(toolchain_dll "$dll")
    if [[ -n "$source_dll" ]]; then
      install -m 644 "$source_dll" "$folder/$(basename "$source_dll")"
      queue+=("$(basename "$source_dll")")
    elif ! is_system_dll "$dll"; then
      echo "$file imports $dll, which is neither in the toolchain nor part of Windows" >&2
      exit 1
    fi
  done < <(x86_64-w64-mingw32-objdump -p "$folder/$file" | sed -n 's/^\tDLL Name: //p')
done

(cd "$build" && zip -q -r -X "$name.zip" "$name")

# The installer's file lists, written from the folder: install each file, and remove exactly those again.
# An existing setting_calibration.ini is an administrator's configuration: an upgrade keeps it.
# shellcheck disable=SC2016  # $INSTDIR is the installer's variable, not the shell's
install_list="$build/installer-files.nsh"
remove_list="$build/installer-remove.nsh"
mapfile -t files < <(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
{
  current=""
  for file in "${files[@]}"; do
    dir=$(dirname "$file")
    if [[ "$dir" != "$current" ]]; then
      [[ "$dir" == . ]] && echo 'SetOutPath "$INSTDIR"' || echo "SetOutPath \"\$INSTDIR\\${dir//\//\\}\""
      current=$dir
    fi
    [[ "$file" == setting_calibration.ini ]] && echo "SetOverwrite off"
    echo "File \"$folder/$file\""
    [[ "$file" == setting_calibration.ini ]] && echo "SetOverwrite on"
  done
  echo 'SetOutPath "$INSTDIR"'
} >"$install_list"
{
  for file in "${files[@]}"; do
    echo "Delete \"\$INSTDIR\\${file//\//\\}\""
  done
  (cd "$folder" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r) | while read -r dir; do
    echo "RMDir \"\$INSTDIR\\${dir//\//\\}\""
  done
} >"$remove_list"
setup="$build/orvessa-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DFILES="$install_list" -DREMOVE="$remove_list" -DOUTFILE="$setup" \
  "$root/packaging/windows/orvessa.nsi" >/dev/null

echo "Windows release $version:"
echo "  folder     $folder ($(find "$folder" -type f | wc -l) files, $(du -sh "$folder" | cut -f 1))"
echo "  zip        $folder.zip ($(du -h "$folder.zip" | cut -f 1))"
echo "  installer  $setup ($(du -h "$setup" | cut -f 1))"
