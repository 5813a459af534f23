#!/bin/sh
# Installs the Debian packages the build needs, only when some are missing.
set -e
PACKAGES="g++ cmake ninja-build make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libgl-dev fonts-ipafont-gothic xvfb xauth
  qt6-translations-l10n libqt6svg6 desktop-file-utils
  wine wine64 g++-mingw-w64-x86-64"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends $missing
