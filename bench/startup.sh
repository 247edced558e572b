#!/usr/bin/env bash
# Start-up cost of Marlu: process start to "loaded html page", and peak RSS
# (VmHWM) 3 s later, once the page has drawn its country shapes.
#   bench/startup.sh [runs]        (after scripts/test or scripts/run built it)
# The first run starts with an empty cache; the others find it warm.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLU_BUILD:-$root/build}
runs=${1:-5}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp" "$0" "$@"
fi

home=$(mktemp -d)
trap 'kill $service 2>/dev/null || true; rm -rf "$home"' EXIT
python3 "$root/services/mapservice.py" --port 0 >"$home/service.out" 2>/dev/null &
service=$!
for _ in $(seq 1 100); do grep -q listening "$home/service.out" && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$home/service.out" | head -1)
mkdir -p "$home/.config/Pelmark"
printf '[Servers]\nMapHost=127.0.0.1:%s\n' "$port" >"$home/.config/Pelmark/Marlu.conf"

times=()
for i in $(seq 1 "$runs"); do
  log=$home/run$i.log
  start=$(date +%s%N)
  HOME=$home XDG_CONFIG_HOME=$home/.config "$build/marlu" >"$log" 2>&1 &
  pid=$!
  until grep -q 'loaded html page' "$log"; do
    kill -0 $pid 2>/dev/null || { echo "marlu exited early; see $log" >&2; exit 1; }
    sleep 0.005
  done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  sleep 3
  rss=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  kill $pid; wait $pid 2>/dev/null || true
  echo "run $i: loaded html page after ${ms} ms, peak RSS $((rss / 1024)) MiB"
  times+=("$ms")
done
sorted=$(printf '%s\n' "${times[@]}" | sort -n)
echo "median start-up: $(echo "$sorted" | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}') ms over $runs runs"
