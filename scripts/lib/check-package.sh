#!/usr/bin/env bash
# Installs the package given, checks the installed files and starts the installed
# marlu under Xvfb until its page has loaded, then removes the package again.
# The application runs in network and process namespaces of its own: no map
# service that happens to run on this machine can answer for it, and nothing
# it started outlives the check.
#   check-package.sh build/marlu_<version>_amd64.deb
set -euo pipefail
deb=$(realpath "$1")
[ "$(id -u)" -eq 0 ] || { echo "check: needs root (apt-get, unshare)" >&2; exit 2; }
if dpkg-query -W -f='${Status}' marlu 2>/dev/null | grep -q 'install ok installed'; then
  echo "check: marlu is installed already; remove it first (apt-get remove marlu)" >&2
  exit 2
fi

work=$(mktemp -d /tmp/marlu-package-check.XXXXXX)
remove() {
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq marlu >/dev/null && echo "check: package removed"
  rm -rf "$work"
}
trap remove EXIT

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
echo "check: installed $(dpkg-query -W -f='${Package} ${Version}' marlu)"
desktop-file-validate /usr/share/applications/org.pelmark.Marlu.desktop
appstreamcli validate --no-net /usr/share/metainfo/org.pelmark.Marlu.metainfo.xml
[ "$(/usr/bin/marlu --version)" = "Marlu $(dpkg-query -W -f='${Version}' marlu)" ]
ls /usr/lib/*/marlu/plugins/position/libqtposition_nmeareplay.so >/dev/null

# A new user: empty home, position updates every second from the packaged track,
# so that the log shows the plugin from the application's own folder at work.
home=$work/home
mkdir -p "$home/.config/Pelmark" "$home/runtime"
chmod 700 "$home/runtime"
printf '[General]\nUpdateMode=1\n' > "$home/.config/Pelmark/Marlu.conf"
log=$work/marlu.log
started=$(date +%s)
unshare --net --pid --fork --kill-child env -i PATH=/usr/bin:/bin HOME="$home" \
  XDG_RUNTIME_DIR="$home/runtime" LOG="$log" bash -c '
    ip link set lo up
    xvfb-run -a -s "-screen 0 800x480x24 -nolisten tcp" \
      /usr/bin/marlu --nmea /usr/share/marlu/tracks/monaco-drive.nmea >"$LOG" 2>&1 &
    for _ in $(seq 1 1200); do
      grep -q "^\"updateCenter(" "$LOG" && exit 0
      kill -0 $! 2>/dev/null || exit 1
      sleep 0.1
    done
    exit 1' || true

ok=1
if grep -q 'loaded html page' "$log"; then
  echo "check: the installed marlu loaded its page ($(( $(date +%s) - started )) s after start, first start included)"
else
  echo "check: FAILED: no 'loaded html page' line" >&2; ok=0
fi
grep -q 'started the map service /usr/share/marlu/services/mapservice.py' "$log" \
  && echo "check: it started the installed map service itself" \
  || { echo "check: FAILED: it did not start the installed map service" >&2; ok=0; }
grep -q '^"updateCenter(.*, 43\.7' "$log" \
  && echo "check: the position plugin replayed the track" \
  || { echo "check: FAILED: no position from the replay plugin" >&2; ok=0; }
[ -f "$home/.local/share/marlu/places.sqlite" ] \
  && echo "check: the default data was copied to $home/.local/share/marlu" \
  || { echo "check: FAILED: no data in the user's data folder" >&2; ok=0; }
if [ "$ok" = 0 ]; then
  echo "check: the application's log:" >&2
  sed 's/^/  /' "$log" >&2
  [ -f "$home/.marlu/mapservice.log" ] && sed 's/^/  service: /' "$home/.marlu/mapservice.log" >&2
  exit 1
fi
echo "check: passed"
