#!/usr/bin/env bash
# Builds Qt 6.4.2 (qtbase: Core, Gui, Widgets, Network, Test) and hidapi 0.13.1 for x86_64-w64-mingw32 from
# Debian 12's own source packages, and packs them as mingw-w64-qt6.4.2-hidapi0.13.1.tar.xz.
# Usage: scripts/windows/build-toolchain.sh WORKDIR OUTPUT_DIR   (about an hour on two cores; needs root for apt)
# toolchain.sh runs it when it is given no prebuilt archive.
set -euo pipefail
work=$(mkdir -p "$1" && cd "$1" && pwd); out=$(mkdir -p "$2" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
prefix=$work/install
apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
  mingw-w64-tools cmake ninja-build qt6-base-dev qt6-base-dev-tools qt6-l10n-tools >/dev/null
# Source packages need a deb-src entry; add one for bookworm if apt has none.
if ! apt-cache showsrc qt6-base >/dev/null 2>&1 || [ -z "$(apt-cache showsrc qt6-base 2>/dev/null)" ]; then
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    >/etc/apt/sources.list.d/zz-deb-src.sources
  apt-get update -qq
fi
cd "$work"
apt-get source --download-only qt6-base=6.4.2+dfsg-10 hidapi=0.13.1-1 >/dev/null
tar xf qt6-base_6.4.2+dfsg.orig.tar.xz
tar xf hidapi_0.13.1.orig.tar.gz
toolchain=$here/mingw-w64-x86_64.cmake
# Qt 6.4.2 guards a software-OpenGL probe in the Windows platform plugin by dynamicgl alone; without OpenGL it
# does not compile.
sed -i '2296s/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(opengl) \&\& QT_CONFIG(dynamicgl)/' \
  qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows/qwindowswindow.cpp

cmake -S qtbase-everywhere-src-6.4.2 -B qt-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix/qt" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DBUILD_SHARED_LIBS=ON -DFEATURE_opengl=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
  -DFEATURE_vulkan=OFF -DFEATURE_openssl=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
  -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_jpeg=OFF \
  -DFEATURE_gif=OFF -DFEATURE_icu=OFF -DFEATURE_sspi=OFF -DFEATURE_schannel=OFF \
  -DFEATURE_tabletevent=OFF
cmake --build qt-build
cmake --install qt-build

cmake -S hidapi-hidapi-0.13.1 -B hidapi-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix/hidapi" -DBUILD_SHARED_LIBS=ON
cmake --build hidapi-build
cmake --install hidapi-build

# The MinGW runtime DLLs a program built with this compiler needs beside it.
mkdir -p "$prefix/mingw-runtime"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")" "$prefix/mingw-runtime/" 2>/dev/null \
    || cp "$(find /usr/lib/gcc/x86_64-w64-mingw32 /usr/x86_64-w64-mingw32 -name "$dll" | head -n 1)" "$prefix/mingw-runtime/"
done
cp "$toolchain" "$prefix/"
# Relocatable: Qt's toolchain file chain-loads the toolchain file at the archive's root, wherever it is unpacked.
sed -i 's#^set(__qt_initially_configured_toolchain_file ".*")#set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../../mingw-w64-x86_64.cmake")#' \
  "$prefix/qt/lib/cmake/Qt6/qt.toolchain.cmake"
find "$prefix" -name '*.dll' -exec x86_64-w64-mingw32-strip --strip-unneeded {} \;
tar -C "$prefix" -cJf "$out/mingw-w64-qt6.4.2-hidapi0.13.1.tar.xz" .
echo "$out/mingw-w64-qt6.4.2-hidapi0.13.1.tar.xz"
