#!/usr/bin/env bash
# Builds the Debian packages orvane and orvane-hosting into build/: configures build/
# when needed, builds only the programs and data they carry, and packs them with CPack.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
if [ ! -f "$root/build/CPackConfig.cmake" ]; then
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
fi
cmake --build "$root/build" --parallel "$(nproc)" \
  --target orvane orvane-hosting orvane-publish orvane_install_data orvane_skins
cd "$root/build"
cpack -G DEB
ls "$root"/build/orvane*.deb
