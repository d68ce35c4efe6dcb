#!/usr/bin/env bash
# Takes the screenshots of the help pages from the real program on a virtual X server
# (install/help/shots/), then writes the help pages again so they show every picture
# there is. Run it again whenever a window changes or a work window is added.
#   SHOTS_DISPLAY=:90 scripts/make-help-shots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
display=${SHOTS_DISPLAY:-:90}

# The pages first, so the guide's own picture shows them as they now are.
python3 "$root/scripts/make-help-pages.py"
"$root/scripts/build.sh"
cmake --build "$root/build" --target orvane-helpshots

out="$root/install/help/shots"
rm -rf "$out"
mkdir -p "$out"

Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  [ -S "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done

DISPLAY=$display QTWEBENGINE_DISABLE_SANDBOX=1 QT_QPA_PLATFORM=xcb \
  "$root/build/tools/orvane-helpshots" "$out"

python3 "$root/scripts/make-help-pages.py"
