#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need; skips what is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  clang clang-format libclang-rt-14-dev
  libicu-dev libbz2-dev libjpeg62-turbo-dev libcurl4-openssl-dev libxml2-dev libgumbo-dev
  nlohmann-json3-dev libcli11-dev libcpp-httplib-dev
  python3-pyftpdlib curl
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev libqt6webenginecore6-bin
  xvfb xauth imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
