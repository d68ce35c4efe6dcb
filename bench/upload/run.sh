#!/usr/bin/env bash
# Builds what the upload benchmark needs and runs it: packing against zip on a folder of
# JPEG pictures and one of incompressible files, the transfer of a 1 GB site against a raw
# socat copy on loopback, and the client's peak memory meanwhile.
# The generated folders (about 1.6 GB) are kept in build/bench-upload for reruns.
# With --changes it only uploads a 200 MB site twice, one record changed between, and prints
# the bytes and seconds of each upload.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/bootstrap.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target bench_upload orvane-hosting orvane_install_data --parallel "$(nproc)"
exec "$root/build/bin/bench_upload" --work "$root/build/bench-upload" \
    --install "$root/build/bin" --hosting "$root/build/bin/orvane-hosting" "$@"
