#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package (scripts/package.sh), makes a minimal Debian 12 root afresh with
# mmdebstrap from this machine's Debian sources, installs the package there with apt-get alone
# and runs both programs in it. Needs root and the mirror; takes a few minutes, mostly
# downloads, so it is run by hand and not by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -ne 0 ]; then
  echo "scripts/package-test.sh necesita root: mmdebstrap monta y entra en la raiz de prueba" >&2
  exit 1
fi
started=$SECONDS
scripts/package.sh
scripts/install-deps.sh mmdebstrap

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)
deb=build-package/tarpel_${version}_$(dpkg --print-architecture).deb
# The same Debian sources as this machine (its mirror, updates and security), so that the root
# is what an apt-get install on a fresh Debian 12 of this site would see.
sources=/etc/apt/sources.list.d/debian.sources
[ -f "$sources" ] || sources=/etc/apt/sources.list

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What runs inside the new root ($1) once it is made; every step must succeed.
cat >"$work/check-in-root.sh" <<EOF
#!/bin/sh
set -eu
root=\$1
echo "== apt-get install ./$(basename "$deb") =="
chroot "\$root" sh -c "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y -q ./$(basename "$deb")"
# Each program runs with a bare environment, as a new login would give it.
in_root() { chroot "\$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "\$@"; }
echo "== tarpel-cli --board sim board check =="
in_root tarpel-cli --board sim board check
echo "== LANG=en_US.UTF-8 tarpel-cli --board sim board check (en ingles, sin esa configuracion regional instalada) =="
in_root env LANG=en_US.UTF-8 tarpel-cli --board sim board check 2>&1 | tee "\$root/tmp/english.txt"
grep -q '^OK: The Velcor board responds correctly!!!\$' "\$root/tmp/english.txt"
echo "== tarpel --help =="
in_root tarpel --help
echo "== tarpel --board sim, con QT_QPA_PLATFORM=offscreen, cerrado con SIGTERM a los 5 s =="
in_root env QT_QPA_PLATFORM=offscreen timeout --preserve-status -s TERM 5 tarpel --board sim
echo "== bibliotecas del plugin xcb y traduccion de Qt =="
if in_root ldd /usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt6/plugins/platforms/libqxcb.so | grep 'not found'; then
  exit 1
fi
in_root test -f /usr/share/qt6/translations/qtbase_es.qm
EOF
chmod +x "$work/check-in-root.sh"

echo "== Raiz minima de Debian 12 con mmdebstrap =="
mmdebstrap --mode=root --variant=apt \
  --customize-hook="copy-in $deb /tmp" \
  --customize-hook="$work/check-in-root.sh" \
  bookworm /dev/null "$sources"
echo "Prueba del paquete superada en $((SECONDS - started)) s"
