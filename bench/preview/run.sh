#!/usr/bin/env bash
# Builds the local preview's benchmark and runs it: working folders of 100 and of 1,000
# pages; prints the time of the first rendering and of a rendering after one save.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target bench_preview --parallel "$(nproc)"
exec "$root/build/bin/bench_preview" --work "$root/build/bench-preview" --install "$root/build/bin" "$@"
