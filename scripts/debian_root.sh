#!/usr/bin/env bash
# A Debian root of another release, to run the project's commands on it: made with debootstrap
# from the archive this machine's apt uses, kept in DIR and reused while it is less than a week
# old. `run` runs a command in it as root, with /proc, /sys and /dev bound in inside a mount
# namespace of its own, so nothing stays mounted however the command ends.
# Usage: scripts/debian_root.sh make RELEASE DIR      (e.g. make trixie /var/cache/bounce-demos/trixie)
#        scripts/debian_root.sh run DIR COMMAND [ARGUMENT ...]
set -euo pipefail
action=${1:?make or run}
if [ "$action" = run ]; then
  dir=${2:?the root}
  shift 2
  cp /etc/resolv.conf "$dir/etc/resolv.conf"
  exec unshare --mount --propagation private bash -c '
    dir=$1
    shift
    mount -t proc proc "$dir/proc"
    mount --rbind /sys "$dir/sys"
    mount --rbind /dev "$dir/dev"
    mount -t tmpfs tmpfs "$dir/tmp"
    exec chroot "$dir" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      LANG=C.UTF-8 CI="${CI:-}" "$@"' run "$dir" "$@"
fi
release=${2:?a Debian release, e.g. trixie}
dir=${3:?a folder for the root}
if [ -f "$dir/made" ] && [ -z "$(find "$dir/made" -mtime +6)" ]; then
  exit 0
fi
command -v debootstrap >/dev/null || {
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
}
# The archive that this machine's own packages come from.
mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
[ -n "$mirror" ] || mirror=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list)
echo "debian_root.sh: making a Debian $release root in $dir"
rm -rf "$dir.new"
mkdir -p "$(dirname "$dir")"
debootstrap --variant=minbase "$release" "$dir.new" "$mirror" >"$(dirname "$dir")/debootstrap.log" 2>&1 ||
  { tail -20 "$(dirname "$dir")/debootstrap.log" >&2; exit 1; }
rm -rf "$dir"
mv "$dir.new" "$dir"
touch "$dir/made"
