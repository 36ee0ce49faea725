#!/usr/bin/env bash
# Installs the Debian packages hemu needs to build, test and run. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-charts-dev libqt6sql6-sqlite libqt6opengl6-dev
  libsodium-dev libsqlite3-dev sqlite3 libxlsxwriter-dev zlib1g-dev
  fonts-noto-cjk
  xvfb xauth imagemagick xdg-utils
  poppler-utils unzip
  mdbtools-dev
  dpkg-dev desktop-file-utils shared-mime-info
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
