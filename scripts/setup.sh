#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and the fixture
# script need. Skips apt when everything is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev qt6-base-dev zlib1g-dev
  clang libclang-rt-14-dev
  unzip dosfstools mtools ntfs-3g fdisk sleuthkit
  ccache exfatprogs libxml2-utils clang-format
  dbus python3-dbus python3-gi
  dpkg-dev desktop-file-utils appstream lintian man-db qt6-svg-dev bash-completion
)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
