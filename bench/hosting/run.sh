#!/usr/bin/env bash
# Builds the hosting server's benchmark and runs it: while one client uploads a site of
# about 200 MB and another sends 300 wrong passwords, a third, logged in, asks for the
# notice every 100 ms; prints that client's reply latency. The generated archive is kept
# in build/bench-hosting for reruns.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target bench_hosting orvane-hosting --parallel "$(nproc)"
exec "$root/build/bin/bench_hosting" --work "$root/build/bench-hosting" \
    --install "$root/build/bin" --hosting "$root/build/bin/orvane-hosting" "$@"
