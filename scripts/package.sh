#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of Mirelune from the source tree in a clean build folder of its own
# (build-pkg/) and checks it: lintian (no errors), desktop-file-validate and appstreamcli.
#
#   scripts/package.sh                  the package, path on the last line of the output
#   scripts/package.sh --try-install    then installs it, runs the installed programs, and
#                                       removes it again (root; refused when a mirelune
#                                       package is installed already, which it would replace)
#
# Installs what the build and the checks need (Debian packages only, as install-deps.sh does).
# The compiler and linker flags are Debian's (dpkg-buildflags, hardening on); the time stamps
# in the package come from the last commit (SOURCE_DATE_EPOCH), so one tree gives one package.
# Exit status 0 only when the package was made and every check passed.
set -euo pipefail
cd "$(dirname "$0")/.."

try_install=0
for arg in "$@"; do
  case "$arg" in
    --try-install) try_install=1 ;;
    -h|--help) sed -n '2,13s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "package.sh: unknown argument '$arg' (try --help)" >&2; exit 2 ;;
  esac
done

scripts/install-deps.sh
tools=(dpkg-dev fakeroot file lintian desktop-file-utils appstream)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "package.sh: installing ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

rm -rf build-pkg
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DMIRELUNE_BUILD_TESTS=OFF -DMIRELUNE_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-pkg --parallel "$(nproc)"
(cd build-pkg && cpack -G DEB >/dev/null)
debs=(build-pkg/mirelune_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: cpack made no single .deb" >&2; exit 1; }
deb=${debs[0]}

version=$(dpkg-deb -f "$deb" Version)
echo "== $deb ($(du -k "$deb" | cut -f1) KiB), version $version"
dpkg-deb -f "$deb" Depends

# The desktop entry and the AppStream file as installed.
check=build-pkg/check
rm -rf "$check"
dpkg-deb -x "$deb" "$check"
desktop-file-validate "$check/usr/share/applications/mirelune.desktop"
# AppStream: errors fail; warnings are shown. The component id is "mirelune", not a reverse
# domain name, which appstreamcli warns about: the project has no domain to name.
appstream_status=0
appstream=$(appstreamcli validate --no-net --no-color \
  "$check/usr/share/metainfo/mirelune.metainfo.xml" 2>&1) || appstream_status=$?
echo "$appstream"
if [ "$appstream_status" -ne 0 ] && ! echo "$appstream" | grep -q 'Validation failed: warnings: '; then
  echo "package.sh: appstreamcli validate failed" >&2
  exit 1
fi

echo "== lintian"
lintian --fail-on error --display-info "$deb"

if [ "$try_install" -eq 1 ]; then
  if dpkg-query -W -f='${Status}' mirelune 2>/dev/null | grep -q "installed"; then
    echo "package.sh: a mirelune package is installed already; not replacing it" >&2
    exit 1
  fi
  echo "== dpkg -i"
  dpkg -i "$deb"
  status=0
  want="mirelune-cli ${version%-*}"
  got=$(/usr/bin/mirelune-cli --version) || status=1
  [ "$got" = "$want" ] || { echo "package.sh: /usr/bin/mirelune-cli --version said '$got'" >&2; status=1; }
  got=$(/usr/bin/mirelune --version) || status=1
  [ "$got" = "mirelune ${version%-*}" ] || { echo "package.sh: /usr/bin/mirelune --version said '$got'" >&2; status=1; }
  [ -f /usr/lib/udev/rules.d/70-mirelune-amplifier.rules ] ||
    { echo "package.sh: the udev rule is not in /usr/lib/udev/rules.d" >&2; status=1; }
  echo "installed: $(/usr/bin/mirelune-cli --version), $(/usr/bin/mirelune --version)"
  echo "== dpkg -r"
  dpkg -r mirelune
  # A package with maintainer scripts stays known to dpkg until purged (postrm purge).
  dpkg --purge mirelune
  [ ! -e /usr/bin/mirelune ] && [ ! -e /usr/lib/udev/rules.d/70-mirelune-amplifier.rules ] ||
    { echo "package.sh: files left after dpkg -r" >&2; status=1; }
  ! dpkg-query -W mirelune >/dev/null 2>&1 || { echo "package.sh: dpkg still knows mirelune" >&2; status=1; }
  [ "$status" -eq 0 ] || exit 1
fi

echo "$deb"
