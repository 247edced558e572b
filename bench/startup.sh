#!/usr/bin/env bash
# Start-up against the naive floor and against a first start: Marlu with its
# map service already running, Marlu starting the service itself (nothing on
# the default port; the installed application's first start) and a bare
# QWebView (bench_nakedview) on the same page from the same service, in
# alternate rounds. Figures: process start to the window shown ("window
# shown") and to "loaded html page" (the page's scripts have run and the map
# is laid out; tiles follow), and peak RSS (VmHWM) 3 s later, once the first
# tiles are drawn. Medians, and "#bench" lines per round for scripts/bench.
#   bench/startup.sh [rounds]     (default 7; MARLU_BUILD names the build folder,
#                                  MARLU_BINARY the application in it,
#                                  MARLU_SERVICE the map service to run)
# The first start needs the default port free: as root the script runs in a
# network namespace of its own, where nothing else listens.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MARLU_BUILD:-$root/build}
marlu=$build/${MARLU_BINARY:-marlu}
rounds=${1:-7}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp" "$0" "$@"
fi
if [ -z "${MARLU_BENCH_NETNS:-}" ] && [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null \
    && unshare -n true 2>/dev/null; then
  # X11 is still reached through its socket file; only the network is private.
  export MARLU_BENCH_NETNS=1
  exec unshare -n sh -c 'ip link set lo up 2>/dev/null; exec "$0" "$@"' "$0" "$@"
fi
cold=yes
if (exec 3<>/dev/tcp/127.0.0.1/8717) 2>/dev/null; then
  echo "the default port 8717 is taken: the first start with the service is not measured" >&2
  cold=
fi

home=$(mktemp -d)
service=
trap '[ -n "$service" ] && kill $service 2>/dev/null; rm -rf "$home"' EXIT
/usr/bin/python3 "${MARLU_SERVICE:-$root/services/mapservice.py}" --port 0 >"$home/service.out" 2>/dev/null &
service=$!
for _ in $(seq 1 200); do grep -q listening "$home/service.out" && break; sleep 0.05; done
port=$(sed -n 's/.*127\.0\.0\.1:\([0-9]*\).*/\1/p' "$home/service.out" | head -1)
[ -n "$port" ] || { echo "the map service did not start" >&2; exit 1; }
mkdir -p "$home/.config/Pelmark"
printf '[Servers]\nMapHost=127.0.0.1:%s\n' "$port" >"$home/.config/Pelmark/Marlu.conf"

# run NAME COMMAND...: prints "shownMs loadedMs peakKiB" for one start; the
# map service a first start started goes with it.
run() {
  local log=$home/$1.log start pid shown= ms rss child
  shift
  # A log left by the round before would be read before the new one truncates it.
  rm -f "$log"
  start=$(date +%s%N)
  # From the scratch home: a bare web view writes its databases to the current folder.
  (cd "$home" && HOME=$run_home XDG_CONFIG_HOME=$run_home/.config exec "$@") >"$log" 2>&1 &
  pid=$!
  until grep -qs 'loaded html page' "$log"; do
    kill -0 $pid 2>/dev/null || { echo "$* exited early; see $log" >&2; return 1; }
    [ -z "$shown" ] && grep -qs 'window shown' "$log" && shown=$(( ($(date +%s%N) - start) / 1000000 ))
    sleep 0.002
  done
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [ -n "$shown" ] || shown=$ms
  sleep 3
  rss=$(awk '/VmHWM/ {print $2}' /proc/$pid/status)
  child=$(ps -o pid= --ppid $pid | tr -d ' ' || true)
  kill $pid; wait $pid 2>/dev/null || true
  for c in $child; do kill "$c" 2>/dev/null || true; done
  # The next first start needs the port free again.
  while [ -n "$child" ] && (exec 3<>/dev/tcp/127.0.0.1/8717) 2>/dev/null; do sleep 0.05; done
  echo "$shown $ms $rss"
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Marlu with the running service, Marlu starting its own, the bare view.
mkdir -p "$home/cold/.config/Pelmark"
: >"$home/ours"; : >"$home/naive"; : >"$home/cold.times"
# The first pair fills the service's tile cache; it is not counted.
run_home=$home
run warm "$marlu" >/dev/null
for i in $(seq 1 "$rounds"); do
  # Rotate which goes first, so that none always finds the machine warmer.
  for j in 0 1 2; do
    case $(( (i + j) % 3 )) in
      0) run_home=$home; ours=$(run ours "$marlu") ;;
      1) run_home=$home; naive=$(run naive "$build/bench/bench_nakedview" "http://127.0.0.1:$port/gps2.html") ;;
      2) if [ -n "$cold" ]; then run_home=$home/cold; first=$(run cold "$marlu"); fi ;;
    esac
  done
  echo "$ours" >>"$home/ours"; echo "$naive" >>"$home/naive"
  set -- $ours; o_shown=$1 o_ms=$2 o_kb=$3
  set -- $naive; n_shown=$1 n_ms=$2 n_kb=$3
  echo "round $i: Marlu $o_ms ms (window $o_shown ms), $(( o_kb / 1024 )) MiB; bare QWebView $n_ms ms (window $n_shown ms), $(( n_kb / 1024 )) MiB"
  printf '#bench\tstart-up to the loaded page (ms)\t%s\t%s\tratio<=0.6\n' "$o_ms" "$n_ms"
  printf '#bench\tpeak memory at start (MiB)\t%s\t%s\tratio<=0.6\n' \
    "$(awk -v k="$o_kb" 'BEGIN {printf "%.1f", k / 1024}')" "$(awk -v k="$n_kb" 'BEGIN {printf "%.1f", k / 1024}')"
  if [ -n "$cold" ]; then
    echo "$first" >>"$home/cold.times"
    set -- $first; c_shown=$1 c_ms=$2
    echo "round $i: first start $c_ms ms (window $c_shown ms)"
    printf '#bench\tfirst start: window shown, against a running service (ms)\t%s\t%s\tratio<=1.3\n' "$c_shown" "$o_shown"
    printf '#bench\tfirst start: page loaded, against a running service (ms)\t%s\t%s\tratio<=1.3\n' "$c_ms" "$o_ms"
    printf '#bench\tfirst start: window shown, against a bare web view (ms)\t%s\t%s\t-\n' "$c_shown" "$n_shown"
    printf '#bench\tfirst start: page loaded, against a bare web view (ms)\t%s\t%s\t-\n' "$c_ms" "$n_ms"
  fi
done
col() { cut -d' ' -f"$1" "$2" | median; }
echo "median of $rounds: Marlu $(col 2 "$home/ours") ms (window $(col 1 "$home/ours") ms)," \
  "$(( $(col 3 "$home/ours") / 1024 )) MiB; bare QWebView $(col 2 "$home/naive") ms" \
  "(window $(col 1 "$home/naive") ms), $(( $(col 3 "$home/naive") / 1024 )) MiB"
[ -z "$cold" ] || echo "median of $rounds: first start $(col 2 "$home/cold.times") ms (window $(col 1 "$home/cold.times") ms)"
