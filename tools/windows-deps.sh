#!/usr/bin/env bash
# Cross-builds the Windows game's libraries (SFML and what it needs, Box2D, openal-soft,
# nlohmann-json) from Debian's source packages with mingw-w64, into a prefix cached outside the
# project, and prints that prefix on its last line.
#
# The sources come through a private apt directory under the cache (its own sources.list of
# deb-src lines, lists and downloads); the machine's apt configuration is never changed. apt
# checks every file against the signed Sources index of its suite. The prefix is keyed on the
# exact source versions, the toolchain file and this script, so a new Debian upload or a changed
# build rule builds a new prefix and an unchanged one is reused as it is.
#
# Each package builds with Ninja, only the library the game links; independent packages build
# side by side, each with JOBS compile jobs.
#
# Usage: tools/windows-deps.sh        (environment: BRAMBLOT_WINDOWS_CACHE, JOBS)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$root/cmake/mingw-w64-x86_64.cmake
cache=${BRAMBLOT_WINDOWS_CACHE:-/var/cache/bramblot/windows}
jobs=${JOBS:-2}

# Source package, suite, and what to take from it: "package" is the whole Debian source package
# with Debian's patches applied; "upstream" is only its original tarball.
#
# openal-soft is the exception, explicitly: the archive this project reaches answers 404 for
# bookworm's openal-soft files (1.19.1-2) and for the Debian part of trixie's, while trixie's
# original tarball (1.24.2) is served. So it is taken from trixie's Sources index, and only its
# original tarball, which apt's own downloader checks against the SHA256 that the signed index
# gives (see fetch_upstream). Debian's openal-soft patches concern its Linux packaging only.
sources=(
  "libogg bookworm package"
  "libvorbis bookworm package"
  "flac bookworm package"
  "freetype bookworm package"
  "box2d bookworm package"
  "libsfml bookworm package"
  "nlohmann-json3 bookworm package"
  "openal-soft trixie upstream"
)

log() { echo "windows-deps: $*" >&2; }
fail() { log "error: $*"; exit 1; }

command -v x86_64-w64-mingw32-g++-posix >/dev/null || fail "mingw-w64 is missing: run tools/setup.sh windows"
command -v dpkg-source >/dev/null || fail "dpkg-source is missing: run tools/setup.sh windows"
command -v ninja >/dev/null || fail "ninja is missing: run tools/setup.sh windows"

apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d" "$cache/sources"
cat >"$apt_dir/sources.list" <<'EOF'
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian trixie main
EOF
# Downloads run as root: the private directories belong to the caller, not to apt's sandbox user.
apt_private=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/sources.list.d"
             -o Dir::State="$apt_dir" -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir"
             -o Dir::Cache::Archives="$apt_dir/archives" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
             -o APT::Sandbox::User=root -qq)

# A day-old index is refreshed, so a new Debian upload (a security fix) is built soon.
if [ -z "$(find "$apt_dir/lists" -maxdepth 1 -name '*_Sources*' -mmin -1440 2>/dev/null)" ]; then
  log "reading Debian's source indexes"
  apt-get "${apt_private[@]}" update >&2 || fail "could not read Debian's source indexes"
fi

# The version (without epoch) that the suite's index has, read from the name of its .dsc.
version_of() {
  (cd "$cache/sources" && apt-get "${apt_private[@]}" source --print-uris "$1/$2" 2>/dev/null) |
    sed -n "s/^'[^']*' $1_\(.*\)\.dsc .*/\1/p" | head -n1
}

# Downloads the whole source package through apt and unpacks it with Debian's patches.
fetch_package() {
  local package=$1 suite=$2 dir=$3 download
  download=$(mktemp -d "$cache/sources/.download.XXXXXX")
  (cd "$download" && apt-get "${apt_private[@]}" source --download-only "$package/$suite" >&2) ||
    fail "could not download the source of $package from $suite"
  (cd "$download" && dpkg-source --no-check -x ./*.dsc src >/dev/null) || fail "could not unpack $package"
  mkdir -p "$(dirname "$dir")" && mv "$download/src" "$dir" && rm -rf "$download"
}

# Downloads only the original tarball named in the suite's index, checked against the index's
# SHA256 by apt-helper, and unpacks it.
fetch_upstream() {
  local package=$1 suite=$2 dir=$3 download line uri file hash
  download=$(mktemp -d "$cache/sources/.download.XXXXXX")
  line=$(cd "$download" && apt-get "${apt_private[@]}" source --print-uris "$package/$suite" | grep "\.orig\.tar\." | head -n1)
  [ -n "$line" ] || fail "the $suite index names no original tarball for $package"
  read -r uri file _ hash <<<"$line"
  uri=${uri//\'/}
  case "$hash" in SHA256:*) ;; *) fail "the $suite index gives no SHA256 for $file" ;; esac
  /usr/lib/apt/apt-helper -o APT::Sandbox::User=root download-file "$uri" "$download/$file" "$hash" >&2 ||
    fail "could not download $file, or it does not match the $suite index"
  mkdir -p "$download/src" && tar -xf "$download/$file" -C "$download/src" --strip-components=1
  mkdir -p "$(dirname "$dir")" && mv "$download/src" "$dir" && rm -rf "$download"
}

declare -A version source_dir
versions=()
for entry in "${sources[@]}"; do
  read -r package suite what <<<"$entry"
  version[$package]=$(version_of "$package" "$suite")
  [ -n "${version[$package]}" ] || fail "no source package $package in $suite"
  source_dir[$package]=$cache/sources/${package}_${version[$package]//:/%}_$what
  if [ ! -d "${source_dir[$package]}" ]; then
    log "fetching $package ${version[$package]} ($suite, $what)"
    "fetch_$what" "$package" "$suite" "${source_dir[$package]}"
  fi
  versions+=("$package $suite ${version[$package]} ($what)")
done
key=$( (sha256sum "$toolchain" "$0" | cut -d' ' -f1; printf '%s\n' "${versions[@]}") | sha256sum | cut -c1-16)
prefix=$cache/prefix-$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# Built in place (CMake packages record their install path), one stamp per finished library, so
# an interrupted build resumes; a prefix is used only once its .complete stamp is there.
build_root=$cache/build-$key
mkdir -p "$prefix/lib" "$build_root"

# Optimised as Debian builds them (-O2), which compiles faster than CMake's -O3 for Release.
optimise=("-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG")

# Builds and installs a package into the prefix: cmake_build PACKAGE TARGET CMAKE_OPTION...,
# where TARGET is the only thing built (all: everything the package builds by default).
cmake_build() {
  local package=$1 target=$2; shift 2
  [ -f "$prefix/.built-$package" ] && return 0
  log "building $package ${version[$package]}"
  local start=$SECONDS
  rm -rf "${build_root:?}/$package"
  cmake -S "${source_dir[$package]}" -B "$build_root/$package" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release "${optimise[@]}" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" -DBUILD_SHARED_LIBS=OFF -Wno-dev "$@" \
        >"$build_root/$package.log" 2>&1 &&
    cmake --build "$build_root/$package" -j"$jobs" --target "$target" >>"$build_root/$package.log" 2>&1 &&
    cmake --install "$build_root/$package" >>"$build_root/$package.log" 2>&1 ||
    { tail -n 40 "$build_root/$package.log" >&2; fail "building $package failed (log: $build_root/$package.log)"; }
  touch "$prefix/.built-$package"
  log "built $package in $((SECONDS - start)) s"
}

build_ogg_family() {
  cmake_build libogg all -DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF
  cmake_build libvorbis all -DBUILD_TESTING=OFF
  # Only the C library: its helper libraries and benchmark are for FLAC's programs. Without the
  # stack protector: with it, mingw would need libssp's DLL beside the game.
  cmake_build flac FLAC -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
              -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF -DWITH_STACK_PROTECTOR=OFF -DWITH_FORTIFY_SOURCE=OFF -DWITH_OGG=ON
}

build_openal() {
  # OpenAL32.dll stays a DLL beside the game: openal-soft is LGPL, so players may replace it.
  # Without EAX, which SFML never uses and which is a fifth of the library's build time, and
  # without the configuration samples and data files, which the zip does not ship.
  cmake_build openal-soft OpenAL -DLIBTYPE=SHARED -DALSOFT_EAX=OFF -DALSOFT_UTILS=OFF -DALSOFT_EXAMPLES=OFF \
              -DALSOFT_TESTS=OFF -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF -DALSOFT_NO_CONFIG_UTIL=ON \
              -DALSOFT_INSTALL_CONFIG=OFF -DALSOFT_INSTALL_HRTF_DATA=OFF -DALSOFT_INSTALL_AMBDEC_PRESETS=OFF
}

build_independent() {
  # SFML draws text with FreeType's own rasteriser; compressed and PNG glyphs are not needed.
  cmake_build freetype freetype -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
              -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  cmake_build box2d box2d -DBOX2D_BUILD_UNIT_TESTS=OFF -DBOX2D_BUILD_TESTBED=OFF -DBOX2D_BUILD_DOCS=OFF
  # Headers only, but the host's copy would bring /usr/include into the cross build.
  cmake_build nlohmann-json3 all -DJSON_BuildTests=OFF -DJSON_Install=ON
}

# The three groups share nothing, so they build side by side: one's configure step (one core,
# mostly compiler checks) overlaps another's compiling. SFML needs them all.
groups=()
for group in build_ogg_family build_openal build_independent; do
  "$group" &
  groups+=($!)
done
failed=no
for group in "${groups[@]}"; do
  wait "$group" || failed=yes
done
[ "$failed" = no ] || fail "a library failed to build (see above)"

# SFML's own copies of its dependencies are not in Debian's source, so it takes the ones above.
cmake_build libsfml all -DSFML_USE_SYSTEM_DEPS=ON -DSFML_BUILD_NETWORK=OFF -DSFML_BUILD_EXAMPLES=OFF \
            -DSFML_BUILD_DOCS=OFF -DSFML_INSTALL_PKGCONFIG_FILES=OFF
# SFML's package file names two libraries in the case of Windows' case-blind file system; here
# mingw's is libopengl32.a and openal-soft's libOpenAL32.dll.a.
sed -i -e 's/"OpenGL32"/"opengl32"/' \
       -e 's/SEARCH_NAMES "OpenAL" "openal" "openal32")/SEARCH_NAMES "OpenAL" "openal" "openal32" "OpenAL32")/' \
       "$prefix/lib/cmake/SFML/SFMLConfigDependencies.cmake"

# The licences of what the zip ships, from each source package.
mkdir -p "$prefix/licenses"
for entry in "${sources[@]}"; do
  read -r package _ <<<"$entry"
  for notice in debian/copyright COPYING LICENSE license.md LICENSE.TXT; do
    if [ -f "${source_dir[$package]}/$notice" ]; then
      cp "${source_dir[$package]}/$notice" "$prefix/licenses/$package.txt"
      break
    fi
  done
done
printf '%s\n' "${versions[@]}" >"$prefix/versions.txt"

touch "$prefix/.complete"
rm -rf "$build_root"
log "libraries ready in $prefix"
echo "$prefix"
