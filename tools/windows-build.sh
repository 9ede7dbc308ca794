#!/usr/bin/env bash
# `make windows`: cross-builds bramblot.exe and bramblot-mapcheck.exe with mingw-w64 against the
# libraries of tools/windows-deps.sh, and packs bramblot-<version>-windows-x86_64.zip into the
# project root: bin/ (the programs and OpenAL32.dll), assets/, LICENSE, README.txt and licenses/
# (the notices of the libraries inside the programs).
#
# Usage: tools/windows-build.sh [BUILD_DIR]
# Environment: JOBS, BRAMBLOT_WINDOWS_CACHE (see tools/windows-deps.sh), BRAMBLOT_WINDOWS_PREFIX
# (a prefix that tools/windows-deps.sh built before, used as it is instead of asking it).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-windows}")
jobs=${JOBS:-2}
triplet=x86_64-w64-mingw32

fail() { echo "windows-build: error: $*" >&2; exit 1; }

# Checked first, so a missing licence fails before minutes of building.
[ -f "$root/LICENSE" ] || fail "$root/LICENSE is missing: the zip must carry the game's licence"

prefix=${BRAMBLOT_WINDOWS_PREFIX:-$("$root/tools/windows-deps.sh" | tail -n1)}
[ -f "$prefix/.complete" ] || fail "the Windows libraries were not built"

# A new prefix (new Debian sources or build rules) must not meet find results cached for the old.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "CMAKE_PREFIX_PATH:UNINITIALIZED=$prefix" "$build/CMakeCache.txt"; then
  rm -f "$build/CMakeCache.txt"
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_PREFIX_PATH="$prefix" -DBRAMBLOT_TESTS=OFF -DBRAMBLOT_BIN_DIR="$build/bin"
cmake --build "$build" -j"$jobs" --target bramblot bramblot-mapcheck

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
name=bramblot-$version-windows-x86_64
stage=$build/zip
rm -rf "$stage" && mkdir -p "$stage/bin"

# Symbols stay in the build's copies; players get the stripped programs.
for program in bramblot.exe bramblot-mapcheck.exe; do
  $triplet-strip -o "$stage/bin/$program" "$build/bin/$program"
done
cp "$prefix/bin/OpenAL32.dll" "$stage/bin/"
cp -r "$root/assets" "$stage/assets"
cp "$root/LICENSE" "$stage/LICENSE"
sed "s/@VERSION@/$version/" "$root/packaging/windows-README.txt" | sed 's/$/\r/' >"$stage/README.txt"
cp -r "$prefix/licenses" "$stage/licenses"
cp "$prefix/versions.txt" "$stage/licenses/versions.txt"

# Every DLL a program imports is either Windows' own or in the zip.
for program in "$stage"/bin/*.exe "$stage"/bin/*.dll; do
  for dll in $($triplet-objdump -p "$program" | sed -n 's/^\s*DLL Name: //p'); do
    [ -f "$stage/bin/$dll" ] && continue
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | oleaut32.dll | \
        winmm.dll | opengl32.dll | msvcrt.dll | ws2_32.dll | imm32.dll | version.dll | setupapi.dll | avrt.dll | \
        cfgmgr32.dll | dinput8.dll | winspool.drv | comdlg32.dll | api-ms-win-*) ;;
      *) fail "$(basename "$program") needs $dll, which is neither Windows' own nor in the zip" ;;
    esac
  done
done

rm -f "$root/$name.zip"
(cd "$stage" && find . -type f | LC_ALL=C sort | zip -q -X -9 "$root/$name.zip" -@)
echo "windows-build: $root/$name.zip ($(du -k "$root/$name.zip" | cut -f1) KiB)"
