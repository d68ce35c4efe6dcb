#!/usr/bin/env bash
# The built-in web server against nginx on the same published folder: requests/s and p99
# latency with wrk for a small page and a 300 KB picture at 10 and 100 connections, then
# 512 slow connections from 127.0.0.1 while a visitor from 127.0.0.2 fetches pages.
# Ports: BENCH_PORT (built-in, default 20610) and BENCH_PORT+1 (nginx).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/bootstrap.sh"
command -v wrk >/dev/null || { sudo=$([ "$(id -u)" -ne 0 ] && echo sudo || true); $sudo apt-get install -y -q wrk; }
cmake -S "$root" -B "$root/build" -G Ninja >/dev/null
cmake --build "$root/build" --target bench_web --parallel "$(nproc)"

port=${BENCH_PORT:-20610}
nport=$((port + 1))
seconds=${BENCH_SECONDS:-8}
work="$root/build/bench-web"
rm -rf "$work" && mkdir -p "$work/sites/bench/pics" "$work/nginx/tmp"
# A small page as the renderer writes them (about 6 KB) and a 300 KB picture.
python3 - "$work/sites/bench" <<'PY'
import os, sys
d = sys.argv[1]
rows = "".join(f"<li><a href=\"n{i:04d}.html\">新闻标题 {i}：本公司新厂区落成</a><span>2026-12-0{i % 9 + 1}</span></li>\n" for i in range(60))
open(f"{d}/index.html", "w").write("<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>首页</title>"
    "<link rel=\"stylesheet\" href=\"skin/skin.css\"></head><body><ul>" + rows + "</ul></body></html>\n")
open(f"{d}/pics/photo.jpg", "wb").write(os.urandom(300 * 1024))
PY

cat > "$work/nginx/nginx.conf" <<NGINX
daemon off;
worker_processes auto;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  sendfile on;
  tcp_nopush on;
  client_body_temp_path $work/nginx/tmp/body;
  proxy_temp_path $work/nginx/tmp/proxy;
  fastcgi_temp_path $work/nginx/tmp/fcgi;
  uwsgi_temp_path $work/nginx/tmp/uwsgi;
  scgi_temp_path $work/nginx/tmp/scgi;
  include $work/nginx/sites.conf;
}
NGINX

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT
"$root/build/bin/bench_web" "$work/sites" "$port" "$work/nginx/sites.conf" "$nport" >"$work/builtin.log" 2>&1 &
pids+=($!)
sleep 1
nginx -p "$work/nginx" -c "$work/nginx/nginx.conf" &
pids+=($!)
sleep 1

# wrk's "Requests/sec" and its 99% latency in ms.
measure() { # port path connections
  local out rps p99
  out=$(wrk -t2 -c"$3" -d"${seconds}s" --latency -H "Host: bench.localhost:$1" "http://127.0.0.1:$1$2")
  rps=$(awk '/Requests\/sec/ {print $2}' <<<"$out")
  p99=$(awk '$1 == "99%" {v=$2; if (v ~ /us$/) {sub(/us/,"",v); v/=1000} else if (v ~ /ms$/) {sub(/ms/,"",v)} else if (v ~ /s$/) {sub(/s/,"",v); v*=1000}; print v}' <<<"$out")
  printf '%s %s' "$rps" "$p99"
}

printf '\n| request | connections | built-in req/s | built-in p99 ms | nginx req/s | nginx p99 ms | built-in / nginx |\n'
printf '|---|---|---|---|---|---|---|\n'
for what in "small page:/" "300 KB picture:/pics/photo.jpg"; do
  name=${what%%:*}; path=${what#*:}
  for c in 10 100; do
    read -r brps bp99 <<<"$(measure "$port" "$path" "$c")"
    read -r nrps np99 <<<"$(measure "$nport" "$path" "$c")"
    ratio=$(awk -v a="$brps" -v b="$nrps" 'BEGIN {printf "%.2f", a / b}')
    printf '| %s | %s | %.0f | %.2f | %.0f | %.2f | %s |\n' "$name" "$c" "$brps" "$bp99" "$nrps" "$np99" "$ratio"
  done
done

printf '\n512 slow connections from 127.0.0.1, pages fetched from 127.0.0.2 (goal: under 100 ms):\n'
printf 'built-in: '; python3 "$root/bench/web/slow.py" "$port" "bench.localhost:$port" "${SLOW_SECONDS:-20}"
printf 'nginx:    '; python3 "$root/bench/web/slow.py" "$nport" "bench.localhost:$nport" "${SLOW_SECONDS:-20}"
