#!/usr/bin/env bash
# The fresh-machine stage: proves the README's two commands on a machine that
# has nothing but Debian 12. It builds a new minimal Debian root (mmdebstrap,
# variant minbase), clones the committed main into root's home inside it
# (mode 0700, as a fresh machine has it) and there runs the two commands that
# the README's "Two commands" section shows, exactly as written, with no
# display. Any failure fails the stage.
#
# Needs root. The .deb files that apt-get downloads inside are kept in
# KARVONEL_FRESH_CACHE (default /var/cache/karvonel-fresh) for the next run;
# the root itself is new every run and removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
started=$SECONDS
cache=${KARVONEL_FRESH_CACHE:-/var/cache/karvonel-fresh}

fail() { echo "test-fresh: $*" >&2; exit 1; }
stage() { echo "== fresh machine: $* [at $((SECONDS - started)) s]"; }
[[ $(id -u) -eq 0 ]] || fail "run as root: the stage builds a Debian root and enters it"
command -v mmdebstrap >/dev/null || fail "mmdebstrap missing (run scripts/install-deps.sh)"

# The committed main (in a clone left on another commit, what is checked out).
commit=$(git rev-parse --verify -q main || git rev-parse HEAD)
# The README's two commands: the indented lines of its "Two commands" section.
mapfile -t commands < <(git show "$commit:README.md" |
  awk '/^## /{inside = /^## Two commands/} inside && /^    [^ ]/{sub(/^    /, ""); print}')
((${#commands[@]} == 2)) || fail "the README's Two commands section shows ${#commands[@]} commands, not 2"

target=$(mktemp -d /var/tmp/karvonel-fresh.XXXXXX)
cleanup() {
  # Whatever the run left going inside (a Wine server, a display) ends first.
  local proc
  for proc in /proc/[0-9]*; do
    [[ $(readlink "$proc/root" 2>/dev/null) == "$target" ]] && kill -9 "${proc#/proc/}" 2>/dev/null
  done
  sleep 0.5
  for mount in $(awk -v t="$target" '$2 == t || index($2, t "/") == 1 {print $2}' /proc/mounts | sort -r); do
    umount -l "$mount" 2>/dev/null || true
  done
  rm -rf --one-file-system "$target"
}
trap cleanup EXIT

stage "a minimal Debian 12 root"
sources=/etc/apt/sources.list.d/debian.sources
[[ -f $sources ]] || sources=/etc/apt/sources.list
[[ -s $sources ]] || sources=http://deb.debian.org/debian
mmdebstrap --quiet --variant=minbase --mode=root bookworm "$target" "$sources"
[[ $(stat -c %a "$target/root") == 700 ]] || fail "root's home in the new root is not 0700"

# What a booted machine has and a bare root lacks: its kernel file systems,
# a /run with /run/lock, and a name server to ask.
mount -t proc proc "$target/proc"
mount --rbind /sys "$target/sys" && mount --make-rslave "$target/sys"
mount --rbind /dev "$target/dev" && mount --make-rslave "$target/dev"
mount -t tmpfs -o mode=755 tmpfs "$target/run"
mkdir -m 1777 "$target/run/lock"
cp -L /etc/resolv.conf "$target/etc/resolv.conf"
mkdir -p "$cache/archives/partial"
mount --bind "$cache/archives" "$target/var/cache/apt/archives"

stage "the committed main, cloned into /root/karvonel"
git clone --quiet --no-hardlinks --no-checkout "$repo" "$target/root/karvonel"
git -C "$target/root/karvonel" checkout --quiet -B main "$commit"
echo "commit $(git -C "$target/root/karvonel" log -1 --format='%h %s')"

for command in "${commands[@]}"; do
  stage "$command"
  # The environment of a root login on a machine without a display. The
  # marker keeps the test command inside from starting this stage again.
  env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    KARVONEL_FRESH_INSIDE=1 \
    chroot "$target" /bin/bash -c 'cd ~/karvonel && eval "$1"' bash "$command" ||
    fail "'$command' failed on the fresh machine"
done
echo "test-fresh: passed in $((SECONDS - started)) s"
