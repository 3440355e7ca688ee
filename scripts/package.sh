#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the Debian package build-package/tarpel_<version>_<arch>.deb with CPack and checks it
# with lintian, desktop-file-validate and appstreamcli. Installs the tools it needs first.
# The version is the CMake project's; packaging/changelog and the metainfo must name it too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh dpkg-dev lintian desktop-file-utils appstream

dir=build-package
# Debian's own optimisation and hardening flags, as dpkg-buildpackage would give them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DTARPEL_TESTS=OFF -DTARPEL_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
if [ "$(dpkg-parsechangelog -l packaging/changelog -S Version)" != "$version" ]; then
  echo "packaging/changelog no empieza por la version $version del proyecto: anada una entrada" >&2
  exit 1
fi
if ! grep -q "<release version=\"$version\"" packaging/*.metainfo.xml; then
  echo "packaging/*.metainfo.xml no tiene la version $version del proyecto en <releases>" >&2
  exit 1
fi

cmake --build "$dir" -j"$(nproc)"

deb="$dir/tarpel_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$dir" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "CPack no ha dejado $deb" >&2; exit 1; }

echo "== lintian =="
lintian --display-info --fail-on error,warning "$deb"
echo "== desktop-file-validate y appstreamcli =="
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$tree"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$tree"

echo "== Paquete =="
dpkg-deb --field "$deb" Package Version Architecture Depends
echo "$deb"
