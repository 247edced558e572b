# Shared set-up of scripts/run and scripts/test: installs what is missing, the
# page's libraries, and builds. Sourced, not run; safe to repeat.
set -euo pipefail

MARLU_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MARLU_BUILD=${MARLU_BUILD:-$MARLU_ROOT/build}

marlu_packages=(
  build-essential cmake pkg-config python3 nodejs npm
  qtbase5-dev qtbase5-dev-tools libqt5webkit5-dev qtpositioning5-dev
  libqt5x11extras5-dev libx11-dev
  xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core
)

marlu_install_packages() {
  local missing=() p
  for p in "${marlu_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
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

marlu_build() {
  cmake -S "$MARLU_ROOT" -B "$MARLU_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$MARLU_BUILD" -j"$(nproc)"
}

marlu_setup() {
  marlu_install_packages
  marlu_install_npm
  marlu_build
}
