#!/usr/bin/env bash
# Configures and builds into build/ (the program lands in build/bin beside its installation data).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/bootstrap.sh"
launcher=()
if command -v ccache >/dev/null 2>&1; then
  # A compiler cache, where the machine has one, makes rebuilds after a checkout quick.
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$root/build" --parallel "$(nproc)"
