#!/usr/bin/env bash
# Builds the site renderer's benchmark and runs it: a site of 1,000 pages (file nodes on
# three levels, every display format) with 10,000 records, rendered three times; prints
# the time per page and per HTML file and the peak memory. With --photos: a site of 200
# camera photos, first publish and re-publish with the picture cache, against ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target bench_publish --parallel "$(nproc)"
exec "$root/build/bin/bench_publish" --work "$root/build/bench-publish" --install "$root/build/bin" "$@"
