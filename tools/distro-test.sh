#!/usr/bin/env bash
# Runs the README's test command on another Debian release, from this machine:
#   tools/distro-test.sh RELEASE [COMMAND...]      e.g. tools/distro-test.sh trixie
# The release's root is made once with debootstrap (minbase plus git, as a fresh clone would have)
# and kept in $BRAMBLOT_DISTRO_CACHE (default /var/cache/bramblot/distro), so the packages that
# `make test` installs there stay for the next run. Each run copies the working tree in (tracked
# and new files, not the build directories), installs make as the README says, and runs COMMAND
# (default: make test) as root inside. The exit status is COMMAND's.
#
# The root gets proc, sys and a private tmpfs /dev with its own device nodes and pseudo-terminals,
# never a bind of this machine's /dev, and they are unmounted on every exit. Nothing is ever
# deleted while anything is mounted below the directory concerned. The tests run in their own network namespace, so their
# X servers cannot clash with this machine's (X listens on abstract sockets, which a chroot shares).
set -euo pipefail

usage() { echo "usage: tools/distro-test.sh RELEASE [COMMAND...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
release=$1
shift
if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=BRAMBLOT_DISTRO_CACHE,BRAMBLOT_DEBIAN_MIRROR "$0" "$release" "$@"
fi
command=("$@")
[ ${#command[@]} -gt 0 ] || command=(make test)

project=$(cd "$(dirname "$0")/.." && pwd)
cache=${BRAMBLOT_DISTRO_CACHE:-/var/cache/bramblot/distro}
mirror=${BRAMBLOT_DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=$cache/$release
tree=$root/root/bramblot

say() { echo "distro-test: $*"; }
die() { say "$*" >&2; exit 1; }

# Mount points at or below $1, deepest first.
mounts_under() {
  findmnt -rn -o TARGET | awk -v dir="$1" '$0 == dir || index($0, dir "/") == 1' | sort -r
}

unmount_under() {
  local target
  for target in $(mounts_under "$1"); do
    umount "$target" || umount -l "$target" || say "cannot unmount $target"
  done
}

# Deletes $1 only when nothing is mounted below it, and never crosses into another file system.
remove_tree() {
  [ -z "$(mounts_under "$1")" ] || die "refusing to delete $1: still mounted below it: $(mounts_under "$1")"
  rm -rf --one-file-system -- "$1"
}

make_root() {
  local fresh=$root.new
  remove_tree "$fresh"
  say "making the $release root in $root"
  debootstrap --variant=minbase --include=git "$release" "$fresh" "$mirror" >"$cache/$release.debootstrap.log" 2>&1 ||
    { unmount_under "$fresh"; die "debootstrap failed, see $cache/$release.debootstrap.log"; }
  unmount_under "$fresh"
  # Packages installed in the root start no services.
  printf '#!/bin/sh\nexit 101\n' >"$fresh/usr/sbin/policy-rc.d"
  chmod 755 "$fresh/usr/sbin/policy-rc.d"
  mv -T -- "$fresh" "$root"
}

mount_root() {
  mountpoint -q "$root/proc" || mount -t proc proc "$root/proc"
  mountpoint -q "$root/sys" || mount -t sysfs sys "$root/sys"
  if ! mountpoint -q "$root/dev"; then
    mount -t tmpfs -o mode=755,size=16m bramblot-dev "$root/dev"
    mknod -m 666 "$root/dev/null" c 1 3
    mknod -m 666 "$root/dev/zero" c 1 5
    mknod -m 666 "$root/dev/full" c 1 7
    mknod -m 666 "$root/dev/random" c 1 8
    mknod -m 666 "$root/dev/urandom" c 1 9
    mknod -m 666 "$root/dev/tty" c 5 0
    ln -s /proc/self/fd "$root/dev/fd"
    ln -s /proc/self/fd/0 "$root/dev/stdin"
    ln -s /proc/self/fd/1 "$root/dev/stdout"
    ln -s /proc/self/fd/2 "$root/dev/stderr"
    mkdir -p "$root/dev/shm" "$root/dev/pts"
  fi
  mountpoint -q "$root/dev/shm" || mount -t tmpfs -o mode=1777 bramblot-shm "$root/dev/shm"
  # A devpts instance of its own (apt logs through a pseudo-terminal), not the machine's.
  if ! mountpoint -q "$root/dev/pts"; then
    mount -t devpts -o newinstance,ptmxmode=0666,mode=620 bramblot-pts "$root/dev/pts"
    ln -sf pts/ptmx "$root/dev/ptmx"
  fi
  chmod 1777 "$root/tmp"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
}

# The working tree as git sees it (tracked and untracked, not ignored), over the previous copy;
# the build directories stay, so a second run builds only what changed.
copy_tree() {
  local entry
  mkdir -p "$tree"
  [ -z "$(mounts_under "$tree")" ] || die "something is mounted below $tree"
  for entry in "$tree"/* "$tree"/.[!.]*; do
    case "${entry##*/}" in build*|bin|'*'|'.[!.]*') ;; *) rm -rf --one-file-system -- "$entry" ;; esac
  done
  (cd "$project" && git ls-files -z --cached --others --exclude-standard |
     tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$tree"
}

# Runs a command in the project's copy inside the root; --offline: in a network namespace of its own.
in_root() {
  local isolate=()
  if [ "$1" = --offline ]; then isolate=(unshare --net --); shift; fi
  "${isolate[@]}" chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin /bin/bash -c 'cd /root/bramblot && "$@"' in-root "$@"
}

seconds_since() { echo $(($(date +%s) - $1)); }

started=$(date +%s)
# One run per root at a time: another run's exit would unmount what this one uses.
mkdir -p "$cache"
exec 9>"$cache/$release.lock"
flock 9
[ -x "$root/usr/bin/apt-get" ] || make_root
trap 'unmount_under "$root"' EXIT
mount_root
copy_tree
# The README's steps on a fresh system: make first, then the set-up and COMMAND. The set-up needs
# the network; the command itself runs without it.
in_root sh -c 'command -v make >/dev/null || { apt-get update -qq && apt-get install -y -qq make; }'
in_root tools/setup.sh test
prepared=$(date +%s)
say "$release root, copy and packages ready in $(seconds_since "$started") s"
set +e
in_root --offline "${command[@]}"
status=$?
set -e
if [ $status -eq 0 ]; then result=passed; else result="failed (exit status $status)"; fi
say "$release: '${command[*]}' $result in $(seconds_since "$prepared") s ($(seconds_since "$started") s in all)"
exit $status
