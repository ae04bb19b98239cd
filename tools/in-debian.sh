#!/bin/bash
# Runs a command in another Debian release, on a fresh copy of this checkout:
#
#   tools/in-debian.sh 13 tools/run-tests.sh
#
# The release's root is made once with debootstrap from Debian's packages and
# reused (ORBISETTE_ROOTS, /var/cache/orbisette by default); tools/install-deps.sh
# runs in it before the command, so it holds what this checkout needs. The copy
# is the checkout's files as they are now (committed or not, build outputs left
# out) in a folder of its own under /work inside the root, removed at the end.
#
# The command runs in mount and process namespaces of its own: /proc, /dev,
# /dev/shm and a fresh /tmp exist only there, and every process it starts is
# ended with it, however it ends (Ctrl-C, a failure, this script killed).
# Needs root (through sudo otherwise). Exits with the command's status.
set -euo pipefail
usage() { echo "usage: $0 12|13 COMMAND [ARGS...]" >&2; exit 2; }
[ $# -ge 2 ] || usage
release=$1
case "$release" in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *) usage ;;
esac
shift
if [ "$(id -u)" -ne 0 ]; then exec sudo -E "$0" "$release" "$@"; fi
checkout=$(cd "$(dirname "$0")/.." && pwd)
roots=${ORBISETTE_ROOTS:-/var/cache/orbisette}
root="$roots/debian-$suite"
mirror=$(sed -n 's/^URIs: *\(http[^ ]*debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
mirror=${mirror:-http://deb.debian.org/debian}

if [ ! -f "$root/.orbisette-root" ]; then
  command -v debootstrap >/dev/null || {
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
  }
  echo "making the Debian $suite root in $root (once)"
  rm -rf "$root.partial"
  mkdir -p "$roots"
  # A half-made root is never taken for a made one: it is renamed only when done.
  debootstrap --variant=minbase --include=ca-certificates,sudo,git "$suite" "$root.partial" "$mirror" \
    >"$roots/debootstrap-$suite.log" 2>&1 || {
    tail -20 "$roots/debootstrap-$suite.log" >&2
    echo "debootstrap failed (log: $roots/debootstrap-$suite.log)" >&2
    exit 1
  }
  printf 'deb %s %s main\n' "$mirror" "$suite" >"$root.partial/etc/apt/sources.list"
  touch "$root.partial/.orbisette-root"
  rm -rf "$root"
  mv "$root.partial" "$root"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"

# The fresh copy: tracked and untracked files, not what .gitignore leaves out.
mkdir -p "$root/work"
copy=$(mktemp -d "$root/work/orbisette.XXXXXX")
trap 'rm -rf "$copy"' EXIT
(cd "$checkout" && git ls-files -z --cached --others --exclude-standard |
  tar --null --ignore-failed-read -T - -cf - 2>/dev/null) | tar -xf - -C "$copy"

# Inside the new namespaces: mount what programs expect, then run the command.
# The mounts vanish with the namespace; the process namespace's first process
# is this shell, and the kernel ends every process in it when it ends.
inner='set -e
root=$1 copy=$2; shift 2
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --rbind /dev "$root/dev"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  LANG=C.UTF-8 TERM="${TERM:-dumb}" CI="${CI:-}" \
  /bin/bash -c "cd \"\$0\" && tools/install-deps.sh && \"\$@\"" "$copy" "$@"'
unshare --mount --pid --fork --kill-child --propagation private bash -c "$inner" in-debian "$root" "${copy#"$root"}" "$@" &
child=$!
# Ended from outside, the namespaces go too: unshare's death kills their first process.
trap 'kill "$child" 2>/dev/null; wait "$child"; exit 130' INT TERM HUP
status=0
wait "$child" || status=$?
exit $status
