#!/usr/bin/env bash
# Packs the game built in BUILD_DIR as bramblot-<version>-linux-<machine>.tar.gz in OUTPUT_DIR, for
# Linux distributions other than Debian: tools/portable.sh BUILD_DIR OUTPUT_DIR (`make portable`).
#
# The archive holds one directory, bramblot-<version>/, in the installed layout (the launcher in
# games/, the game in libexec/bramblot/, the assets in share/games/bramblot/) with a link
# "bramblot" to the launcher, LICENSE, and the shared libraries the game needs that a desktop does
# not already have, in libexec/bramblot/lib/.
# The game finds them through its run path $ORIGIN/lib, each of them its own dependencies through
# $ORIGIN: a run path serves only the direct dependencies of the file that carries it.
set -euo pipefail

[ $# -eq 2 ] || { echo "usage: tools/portable.sh BUILD_DIR OUTPUT_DIR" >&2; exit 2; }
build=$(cd "$1" && pwd)
output=$(cd "$2" && pwd)
project=$(cd "$(dirname "$0")/.." && pwd)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "portable: no configured project in $build" >&2; exit 1; }
name=bramblot-$version
archive=$name-linux-$(uname -m).tar.gz

# What every desktop distribution provides and the archive must not carry: the C and C++ runtimes,
# OpenGL and the X libraries (they belong to the system's graphics driver and X server), udev, zlib,
# and the sound system's client libraries (ALSA's, PulseAudio's, PipeWire's, JACK's), which must
# match the system's sound server. OpenAL finds the sound server through them at run time.
provided='^(linux-vdso|ld-linux.*|libc|libm|libdl|libpthread|librt|libresolv|libutil|libgcc_s|libstdc\+\+|libz|libGL.*|libEGL|libOpenGL|libX.*|libxcb.*|libdrm|libudev|libsystemd|libasound|libpulse.*|libjack.*|libpipewire.*)\.so'

stage=$(mktemp -d)
trap 'rm -rf -- "$stage"' EXIT
top=$stage/$name
cmake --install "$build" --prefix "$top" --strip >/dev/null
game=$top/libexec/bramblot/bramblot
lib=$top/libexec/bramblot/lib
mkdir -p "$lib"
cp "$project/LICENSE" "$top/LICENSE"
ln -s games/bramblot "$top/bramblot"

# Every library the game loads, by ldd (which follows dependencies of dependencies), less the provided ones.
ldd "$game" | awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' | while read -r soname path; do
  if ! [[ $soname =~ $provided ]]; then
    cp -L "$path" "$lib/$soname"
    chmod 644 "$lib/$soname"
  fi
done
patchelf --set-rpath '$ORIGIN/lib' "$game"
for library in "$lib"/*; do
  patchelf --set-rpath '$ORIGIN' "$library"
done

# The newest symbol versions of glibc and of the C++ runtime anything in the archive needs: the
# oldest ones it runs on.
newest_version() { objdump -T "$game" "$lib"/* | grep -o "$1_[0-9.]*[0-9]" | sort -uV | tail -n 1; }
glibc=$(newest_version GLIBC)
glibcxx=$(newest_version GLIBCXX)

tar -C "$stage" --owner=0 --group=0 --sort=name -czf "$output/$archive" "$name"
echo "portable: $output/$archive (bundles $(ls "$lib" | tr '\n' ' ')); needs $glibc and $glibcxx or newer"
