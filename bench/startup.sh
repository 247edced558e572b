#!/usr/bin/env bash
# Start-up against the naive floor: Marlu and a bare QWebView (bench_nakedview)
# load the same page from the same map service, in alternate rounds. Figures:
# process start to "loaded html page" (the page's scripts have run and the
# map is laid out; tiles follow), and peak RSS (VmHWM) 3 s later, once the
# first tiles are drawn. Medians, and a pair of "#bench" lines per round for
# scripts/bench.
#   bench/startup.sh [rounds]     (default 7; MARLU_BUILD names the build folder)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLU_BUILD:-$root/build}
rounds=${1:-7}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp" "$0" "$@"
fi

home=$(mktemp -d)
service=
trap '[ -n "$service" ] && kill $service 2>/dev/null; rm -rf "$home"' EXIT
/usr/bin/python3 "$root/services/mapservice.py" --port 0 >"$home/service.out" 2>/dev/null &
service=$!
for _ in $(seq 1 200); do grep -q listening "$home/service.out" && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$home/service.out" | head -1)
[ -n "$port" ] || { echo "the map service did not start" >&2; exit 1; }
mkdir -p "$home/.config/Pelmark"
printf '[Servers]\nMapHost=127.0.0.1:%s\n' "$port" >"$home/.config/Pelmark/Marlu.conf"

# run NAME COMMAND...: prints "ms peakKiB" for one start.
run() {
  local log=$home/$1.log start pid ms rss
  shift
  # A log left by the round before would be read before the new one truncates it.
  rm -f "$log"
  start=$(date +%s%N)
  # From the scratch home: a bare web view writes its databases to the current folder.
  (cd "$home" && HOME=$home XDG_CONFIG_HOME=$home/.config exec "$@") >"$log" 2>&1 &
  pid=$!
  until grep -qs 'loaded html page' "$log"; do
    kill -0 $pid 2>/dev/null || { echo "$* exited early; see $log" >&2; return 1; }
    sleep 0.002
  done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  sleep 3
  rss=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  kill $pid; wait $pid 2>/dev/null || true
  echo "$ms $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

: >"$home/ours"; : >"$home/naive"
# The first pair fills the service's tile cache; it is not counted.
run warm "$build/marlu" >/dev/null
for i in $(seq 1 "$rounds"); do
  # Alternate which goes first, so that neither always finds the machine warmer.
  if [ $((i % 2)) -eq 1 ]; then
    ours=$(run ours "$build/marlu"); naive=$(run naive "$build/bench/bench_nakedview" "http://127.0.0.1:$port/gps2.html")
  else
    naive=$(run naive "$build/bench/bench_nakedview" "http://127.0.0.1:$port/gps2.html"); ours=$(run ours "$build/marlu")
  fi
  echo "$ours" >>"$home/ours"; echo "$naive" >>"$home/naive"
  echo "round $i: Marlu ${ours% *} ms, $(( ${ours#* } / 1024 )) MiB; bare QWebView ${naive% *} ms, $(( ${naive#* } / 1024 )) MiB"
  printf '#bench\tstart-up to the loaded page (ms)\t%s\t%s\tratio<=0.6\n' "${ours% *}" "${naive% *}"
  printf '#bench\tpeak memory at start (MiB)\t%s\t%s\tratio<=0.6\n' \
    "$(awk -v k="${ours#* }" 'BEGIN {printf "%.1f", k / 1024}')" "$(awk -v k="${naive#* }" 'BEGIN {printf "%.1f", k / 1024}')"
done
ms_ours=$(cut -d' ' -f1 "$home/ours" | median); ms_naive=$(cut -d' ' -f1 "$home/naive" | median)
kb_ours=$(cut -d' ' -f2 "$home/ours" | median); kb_naive=$(cut -d' ' -f2 "$home/naive" | median)
echo "median of $rounds: Marlu $ms_ours ms, $((kb_ours / 1024)) MiB; bare QWebView $ms_naive ms, $((kb_naive / 1024)) MiB"
