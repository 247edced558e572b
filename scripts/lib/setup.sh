# Shared set-up of scripts/run and scripts/test: installs what is missing, the
# page's libraries, and builds. Sourced, not run; safe to repeat.
set -euo pipefail

MARLU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MARLU_BUILD=${MARLU_BUILD:-$MARLU_ROOT/build}
# Debian's Python: the map service renders with its python3-mapnik, which a
# python3 from elsewhere on PATH (pyenv) cannot import.
export MARLU_PYTHON=/usr/bin/python3
# The map service's derived data (places, regions, tiles); built at set-up.
export MARLU_DATA=${MARLU_DATA:-$MARLU_BUILD/data}

# Libraries, checked with dpkg.
marlu_packages=(
  qtbase5-dev qtbase5-dev-tools libqt5webkit5-dev qtpositioning5-dev
  libqt5x11extras5-dev libx11-dev fonts-dejavu-core python3
  python3-mapnik routino osmium-tool marble-qt-data
  qttools5-dev qttools5-dev-tools qttranslations5-l10n
  libqt5texttospeech5-dev qtspeech5-speechd-plugin qtspeech5-flite-plugin speech-dispatcher
  python3-gpxpy gpsbabel dbus-daemon
)
# Tools, checked by command: a machine may have them from elsewhere (node from
# another repository, python from pyenv), and Debian's package would clash.
marlu_tools=(
  cmake:cmake g++:g++ make:make node:nodejs npm:npm
  xvfb-run:xvfb xauth:xauth xprop:x11-utils xdotool:xdotool import:imagemagick
  openbox:openbox
  ccache:ccache
)

marlu_install_packages() {
  local missing=() p entry
  for p in "${marlu_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  for entry in "${marlu_tools[@]}"; do
    command -v "${entry%%:*}" >/dev/null 2>&1 || missing+=("${entry#*:}")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "marlu: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# npm ci in each folder whose lock file changed since the last install.
marlu_install_npm() {
  local dir stamp want
  for dir in "$MARLU_ROOT/web" "$MARLU_ROOT/services"; do
    [ -f "$dir/package-lock.json" ] || continue
    stamp=$dir/node_modules/.marlu-lock
    want=$(sha256sum "$dir/package-lock.json" | cut -d' ' -f1)
    if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$want" ]; then
      echo "marlu: installing the libraries of ${dir#$MARLU_ROOT/} (npm ci)"
      (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
      echo "$want" > "$stamp"
    fi
  done
}

# marlu_build_in DIR [CMAKE_OPTION...] [-- TARGET...]: configures and builds one
# build folder (RelWithDebInfo unless an option says otherwise): everything, or
# only the targets named.
marlu_build_in() {
  local dir=$1 options=() targets=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  [ $# -gt 0 ] && targets=(--target "$@")
  # ccache shares objects between build folders and work trees (paths taken
  # relative to the folder above the checkout), so a rebuild after a branch
  # switch or a second tree costs what changed.
  command -v ccache >/dev/null 2>&1 &&
    options=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache "${options[@]}")
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$MARLU_ROOT")}
  cmake -S "$MARLU_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
  cmake --build "$dir" -j"$(nproc)" "${targets[@]}"
}

# marlu_build [TARGET...]: the everyday build folder.
marlu_build() {
  marlu_build_in "$MARLU_BUILD" -- "$@"
}

# Places, the demo region and the low-zoom tiles; each step skips itself
# when its inputs have not changed.
marlu_data() {
  "$MARLU_PYTHON" "$MARLU_ROOT/services/setupdata.py" --data "$MARLU_DATA"
}

# marlu_setup [TARGET...]: installs, builds (everything, or the targets named)
# and builds the service's data.
marlu_setup() {
  marlu_install_packages
  marlu_install_npm
  marlu_build "$@"
  marlu_data
}
