#!/usr/bin/env bash
# Installs the Debian 12 packages the game and its tests need, skipping what is already there.
# Usage: tools/setup.sh [build|test|bench|package|assets|windows]...
set -euo pipefail

build_packages=(build-essential cmake pkg-config libsfml-dev libbox2d-dev nlohmann-json3-dev)
test_packages=(libgtest-dev googletest xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core
               lintian desktop-file-utils appstream)
# cpack's Debian generator: dpkg-shlibdeps finds the dependencies, file tells it which files are programs.
package_packages=(dpkg-dev file)
bench_packages=(libbenchmark-dev python3-matplotlib)
fuzz_packages=(clang-14 libclang-rt-14-dev)
# The Windows build: mingw-w64 (posix threads), dpkg-source for Debian's source packages, zip;
# its test runs the zip under wine in Xvfb.
windows_packages=(cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev xz-utils zip unzip
                  wine wine64 xvfb xauth xdotool x11-utils imagemagick python3)
asset_packages=(python3 python3-pil python3-numpy vorbis-tools python3-fontforge sox tiled)

wanted=()
for group in "${@:-build}"; do
  case "$group" in
    build)  wanted+=("${build_packages[@]}") ;;
    test)   wanted+=("${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}" "${fuzz_packages[@]}") ;;
    package) wanted+=("${build_packages[@]}" "${package_packages[@]}") ;;
    bench)  wanted+=("${build_packages[@]}" "${bench_packages[@]}") ;;
    assets) wanted+=("${asset_packages[@]}") ;;
    windows) wanted+=("${windows_packages[@]}") ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
