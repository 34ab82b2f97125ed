#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, when any is missing.
set -euo pipefail
# desktop-file-utils, appstream, dpkg-dev and file: the package test validates the desktop entry
# and the metainfo and packs the .deb with its library dependencies (CPack finds the programs
# with file, dpkg-shlibdeps names their packages).
packages=(cmake ninja-build g++ pkg-config qtbase5-dev qttools5-dev-tools libqt5svg5-dev
          libhidapi-dev xvfb xauth desktop-file-utils appstream dpkg-dev file
          libcpp-httplib-dev libsodium-dev libqt5sql5-sqlite libqt5sql5-psql postgresql
          libquazip1-qt5-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
