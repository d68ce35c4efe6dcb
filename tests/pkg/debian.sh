#!/usr/bin/env bash
# Builds both packages from the build folder $1, checks them with lintian,
# desktop-file-validate, appstreamcli and systemd-analyze, then starts the unpacked
# client under Xvfb as two ordinary users: each must reach the main frame with a working
# folder of their own, seeded from the installation's pristine data, while the
# installation stays untouched.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/orvane-pkg.XXXXXX)
chmod 755 "$work"
pids=()
users=()
cleanup() {
  chmod -R u+w "$work" 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for u in "${users[@]}"; do userdel -r "$u" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in cpack lintian desktop-file-validate appstreamcli systemd-analyze Xvfb xwininfo xprop; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/bootstrap.sh installs it)"; exit 77; }
done

# ---- the packages ----
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
client=$(ls "$work"/deb/orvane_*.deb)
hosting=$(ls "$work"/deb/orvane-hosting_*.deb)
for deb in "$client" "$hosting"; do
  depends=$(dpkg-deb -f "$deb" Depends)
  # The linked libraries come from dpkg-shlibdeps.
  [[ $depends == *"libc6 (>="* && $depends == *"libqt6core6 (>="* ]] ||
    fail "$(basename "$deb"): dependencies not taken from the linked libraries: $depends"
done
lintian --fail-on error --suppress-tags no-manual-page "$client" "$hosting" ||
  fail "lintian reports errors"

mkdir -p "$work/root" "$work/server"
dpkg-deb -x "$client" "$work/root"
dpkg-deb -x "$hosting" "$work/server"
share="$work/root/usr/share"
desktop-file-validate "$share/applications/orvane.desktop" || fail "desktop file"
grep -q '^Icon=orvane$' "$share/applications/orvane.desktop" || fail "desktop file names no icon"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml || fail "AppStream metainfo"
for size in 16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256; do
  [[ $(identify -format '%wx%h' "$share/icons/hicolor/$size/apps/orvane.png") == "$size" ]] ||
    fail "icon $size"
done
[[ -s $share/icons/hicolor/scalable/apps/orvane.svg ]] || fail "no scalable icon"
# Every screenshot the metainfo names is one of the guide's pictures that the package carries.
for shot in $(grep -o 'help/shots/[^<]*' "$share"/metainfo/*.metainfo.xml); do
  [[ -f $share/orvane/$shot ]] || fail "screenshot $shot is not in the package"
done
for own in initPath.ini userImages savedData; do
  [[ ! -e $share/orvane/$own ]] || fail "the package carries a user's $own"
done

unit="$work/server/lib/systemd/system/orvane-hosting.service"
# The unit is checked as it stands, its programs found in the unpacked package.
sed "s#/usr/bin/#$work/server/usr/bin/#g" "$unit" >"$work/orvane-hosting.service"
systemd-analyze verify "$work/orvane-hosting.service" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "systemd-analyze verify"; }
[[ ! -s $work/verify.log ]] || { cat "$work/verify.log"; fail "systemd-analyze complains"; }
grep -q '^DynamicUser=yes' "$unit" && grep -q -- '--data /var/lib/orvane-hosting' "$unit" ||
  fail "the unit runs the server as root or keeps its data elsewhere"
[[ -f $work/server/usr/share/orvane-hosting/skins/catalogue.json ]] || fail "no skins"
"$work/server/usr/bin/orvane-hosting" --help >/dev/null || fail "orvane-hosting does not run"

# ---- the client, started by ordinary users ----
# The unpacked installation belongs to root, or is made read-only, as an installed one is.
chmod -R a-w "$share/orvane"
before=$(cd "$share/orvane" && find . | sort | md5sum)
pristine="$share/orvane/initdata/dalmbuilder.tdc"

Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 200); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display")
[[ $DISPLAY != : ]] || fail "Xvfb did not start"
# Xvfb lets local clients of every user in.
xhost + >/dev/null 2>&1 || true

# Starts the client as user $1 (empty: this user) with home $2 and waits for its main frame.
start_client() {
  local user=$1 home=$2 log=$3
  local as=()
  [[ -n $user ]] && as=(runuser -u "$user" --)
  "${as[@]}" env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --no-sandbox" \
    "$work/root/usr/bin/orvane" >"$log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local frame=""
  for _ in $(seq 600); do
    # The frame's title ends in "--Orvane自动建站系列软件" once the site is loaded.
    frame=$(xwininfo -root -tree 2>/dev/null | grep -- '"[^"]*--Orvane' | awk '{print $1}' | head -n1 || true)
    if [[ -n $frame ]] && xwininfo -id "$frame" | grep -q 'IsViewable'; then break; fi
    frame=""
    kill -0 "$pid" 2>/dev/null || { cat "$log"; fail "the client ended before its frame showed"; }
    sleep 0.2
  done
  [[ -n $frame ]] || { cat "$log"; fail "no main frame for ${user:-$(id -un)}"; }
  # Read whole before matching: grep -q stops early, and the cut-off writer would fail the pipe.
  local icons class
  icons=$(xprop -id "$frame" _NET_WM_ICON)
  class=$(xprop -id "$frame" WM_CLASS)
  grep -q 'Icon (16 x 16)' <<<"$icons" || fail "the frame carries no icon"
  grep -q '"orvane", "Orvane"' <<<"$class" || fail "the frame's window class is not the one the menu entry names"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

check_seeded() {
  local data=$1/.local/share/orvane
  [[ -f $data/initPath.ini ]] || fail "no initPath.ini in $data"
  cmp -s "$data/userImages/dalmbuilder.tdc" "$pristine" || fail "$data/userImages not seeded"
}

if [[ $(id -u) -ne 0 ]]; then
  home="$work/home"
  mkdir -p "$home"
  start_client "" "$home" "$work/client.log"
  check_seeded "$home"
  echo "SKIP: a second user needs root to be made; one user checked"
  exit 77
fi

stamp=$$
for n in 1 2; do
  user="orvtest$stamp$n"
  useradd --create-home --home-dir "$work/home$n" --shell /usr/sbin/nologin "$user"
  users+=("$user")
  start_client "$user" "$work/home$n" "$work/client$n.log"
  check_seeded "$work/home$n"
  [[ $(stat -c %U "$work/home$n/.local/share/orvane/userImages") == "$user" ]] ||
    fail "the working folder does not belong to $user"
done
# Each user works in a folder of their own.
[[ $(readlink -f "$work/home1/.local/share/orvane/userImages") != \
   $(readlink -f "$work/home2/.local/share/orvane/userImages") ]] || fail "two users share a folder"
after=$(cd "$share/orvane" && find . | sort | md5sum)
[[ $before == "$after" ]] || fail "the installation was changed"
echo "packages built and checked; two users each got a working folder of their own"
