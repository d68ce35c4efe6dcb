#!/usr/bin/env bash
# Installs what building, running and testing Orvane needs on Debian 12.
# Idempotent: packages already present are not touched; sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
  qt6-webengine-dev qt6-webengine-dev-tools qt6-webchannel-dev libqt6webenginecore6-bin
  qt6-translations-l10n
  libgl-dev libxkbcommon-dev
  libzip-dev zlib1g-dev libssl-dev zip unzip socat
  fonts-wqy-microhei fonts-wqy-zenhei fonts-arphic-ukai fonts-arphic-uming fonts-noto-cjk
  libmicrohttpd-dev nginx
  libvips-dev
  xvfb xauth imagemagick tidy
  dpkg-dev lintian desktop-file-utils appstream systemd x11-utils
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

echo "bootstrap: installing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q "${missing[@]}"
