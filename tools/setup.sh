#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need, skipping what is already there. Works on
# Debian 12 and 13: every name is one both releases have, and the fuzzer's runtime follows the
# release's default clang.
# Usage: tools/setup.sh [build|test|bench|package|portable|assets|windows]...
set -euo pipefail

build_packages=(build-essential cmake pkg-config libsfml-dev libbox2d-dev nlohmann-json3-dev)
test_packages=(libgtest-dev googletest xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core
               lintian desktop-file-utils appstream)
# cpack's Debian generator: dpkg-shlibdeps finds the dependencies, file tells it which files are programs.
package_packages=(dpkg-dev file)
# The portable archive: patchelf gives the game and its bundled libraries their run paths.
portable_packages=(patchelf)
bench_packages=(libbenchmark-dev python3-matplotlib)
# The release's default clang; libFuzzer comes with the compiler runtime of that clang's version
# (clang_runtime_package, once clang is there).
fuzz_packages=(clang)
# The Windows build: mingw-w64 (posix threads), dpkg-source for Debian's source packages, zip;
# its test runs the zip under wine in Xvfb.
windows_packages=(cmake make ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev xz-utils zip unzip
                  wine wine64 xvfb xauth xdotool x11-utils imagemagick python3)
asset_packages=(python3 python3-pil python3-numpy vorbis-tools python3-fontforge sox tiled)

wanted=()
for group in "${@:-build}"; do
  case "$group" in
    build)  wanted+=("${build_packages[@]}") ;;
    test)   wanted+=("${build_packages[@]}" "${test_packages[@]}" "${package_packages[@]}" "${portable_packages[@]}"
                     "${fuzz_packages[@]}") ;;
    package) wanted+=("${build_packages[@]}" "${package_packages[@]}") ;;
    portable) wanted+=("${build_packages[@]}" "${portable_packages[@]}") ;;
    bench)  wanted+=("${build_packages[@]}" "${bench_packages[@]}") ;;
    assets) wanted+=("${asset_packages[@]}") ;;
    windows) wanted+=("${windows_packages[@]}") ;;
    *) echo "unknown package group: $group" >&2; exit 2 ;;
  esac
done

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
updated=no

# Installs those of the given packages that are not installed yet.
install_missing() {
  local missing=() package
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$updated" = no ]; then
    "${sudo_cmd[@]}" apt-get update -qq
    updated=yes
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# libclang-rt-N-dev for the major version N that the installed `clang` is (14 on Debian 12, 19 on 13).
clang_runtime_package() {
  local version
  version=$(clang -dumpversion) || return 1
  echo "libclang-rt-${version%%.*}-dev"
}

install_missing "${wanted[@]}"
if [[ " ${wanted[*]} " == *" clang "* ]]; then
  install_missing "$(clang_runtime_package)"
fi
