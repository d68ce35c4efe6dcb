#!/usr/bin/env bash
# Sets up, builds and starts the client on the default installation data.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh"
if [ "$(id -u)" -eq 0 ]; then
  # The browser engine refuses its sandbox when run as root.
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$root/build/bin/orvane" "$@"
