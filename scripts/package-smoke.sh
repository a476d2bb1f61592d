#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get in a clean Debian 12 root (a minimal chroot)
# and starts the launcher there headless, as an ordinary user, until the main window is up; then
# once more, to see that the data folder is reused and a template edited on site is kept.
# Run by hand, as root (chroot, mount); not part of the tests or CI. Needs the network (apt).
#   scripts/package-smoke.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${GERUNDO_PACKAGE_BUILD:-"$here/build-package"}
cache=/var/cache/fresh-machine-test
tarball=$cache/bookworm-minbase.tar
[ "$(id -u)" -eq 0 ] || { echo "package-smoke: run as root (chroot, mount)" >&2; exit 2; }

# ---- the package: only the programs are built, not the tests and benchmarks
bash "$here/scripts/install-deps.sh"
command -v dpkg-shlibdeps >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev >/dev/null; }
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_SKIP_PACKAGE_ALL_DEPENDENCY=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2 --target gerundo gerundo-mkdb
rm -f "$build"/gerundo_*.deb
cmake --build "$build" --target package >/dev/null
deb=$(ls "$build"/gerundo_*.deb)
echo "package-smoke: built $deb"
dpkg-deb -f "$deb" Depends

# ---- a clean Debian 12 root
if [ ! -f "$tarball" ]; then
  command -v debootstrap >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; }
  mkdir -p "$cache"
  staging=$(mktemp -d /tmp/fresh-bootstrap.XXXXXX)
  mirror=$(cat /etc/apt/sources.list.d/*.sources /etc/apt/sources.list 2>/dev/null \
    | grep -oE '^(URIs:|deb)[[:space:]]+[^[:space:]]+' | awk '{print $2}' | grep -v security | head -n 1 || true)
  [ -n "$mirror" ] || { echo "package-smoke: no apt mirror found in this machine's sources" >&2; exit 2; }
  echo "package-smoke: bootstrapping Debian 12 (once, about a minute)..."
  debootstrap --variant=minbase bookworm "$staging" "$mirror" >"$cache/debootstrap.log" 2>&1
  tar -C "$staging" -cf "$tarball" .
  rm -rf --one-file-system "$staging"
fi
root=$(mktemp -d /tmp/package-smoke.XXXXXX)
cleanup() {
  for m in dev/shm dev/pts dev proc sys; do umount -l "$root/$m" 2>/dev/null || true; done
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$tarball"
chmod 755 "$root"  # the tarball's / may be private; the user of the check must reach it
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs tmpfs "$root/dev/shm"
in_root() { chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

# ---- install: apt-get pulls every runtime package the package declares
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "/tmp/$(basename "$deb")" >/dev/null
in_root dpkg -s gerundo | grep -E '^(Status|Version)'
in_root useradd -m desk

# ---- start the launcher as the user, headless, until the program says its main window is shown
cat >"$root/tmp/start.sh" <<'INNER'
set -u
log=$(mktemp)
QT_QPA_PLATFORM=offscreen GERUNDO_ANNOUNCE_READY=1 gerundo-launcher >"$log" 2>&1 &
pid=$!
for _ in $(seq 120); do
  if grep -q '^gerundo: ready$' "$log"; then
    echo "main window shown"
    sleep 2
    kill -0 "$pid" 2>/dev/null || { echo "the program ended by itself"; cat "$log"; exit 1; }
    kill -TERM "$pid"
    wait "$pid"; rc=$?
    [ "$rc" -eq 0 ] || { echo "the program ended with $rc after SIGTERM"; cat "$log"; exit 1; }
    exit 0
  fi
  kill -0 "$pid" 2>/dev/null || { echo "the program ended before its main window was shown"; cat "$log"; exit 1; }
  sleep 0.5
done
echo "no main window within 60 s"; cat "$log"; kill -TERM "$pid"; exit 1
INNER
as_desk() { in_root runuser -u desk -- env HOME=/home/desk "$@"; }
data=/home/desk/.local/share/gerundo

echo "package-smoke: first start"
as_desk bash /tmp/start.sh
as_desk test -s "$data/Dudoz.fdb"
for t in "$here"/templates/*.frf; do as_desk test -s "$data/$(basename "$t")"; done
as_desk test ! -e "$data/Dudoz.fdb.new"

echo "package-smoke: second start: the database and a template edited on site are kept"
before=$(in_root stat -c %i "$data/Dudoz.fdb")
as_desk sh -c "echo '; edited on site' >> $data/Telepen.frf"
as_desk bash /tmp/start.sh
[ "$(in_root stat -c %i "$data/Dudoz.fdb")" = "$before" ] || { echo "package-smoke: Dudoz.fdb was replaced" >&2; exit 1; }
in_root grep -q 'edited on site' "$data/Telepen.frf" || { echo "package-smoke: the edited template was overwritten" >&2; exit 1; }
echo "package-smoke: OK"
