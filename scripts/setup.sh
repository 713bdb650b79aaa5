#!/usr/bin/env bash
# Shared set-up of ./run and ./test: installs the Debian 12 packages that are missing
# (and nothing when all are there), then configures and builds in build/ (Release, -j2).
set -euo pipefail

VARNEX_PACKAGES=(
  cmake g++ make ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-translations-l10n libgl-dev
  libpugixml-dev
  socat xvfb xauth fonts-dejavu-core unrtf poppler-utils fp-compiler
  desktop-file-utils
)

varnex_install_missing() {
  if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "setup: not a Debian system; install Qt 6 (Widgets, SerialPort, PrintSupport, Network), pugixml, CMake and socat yourself." >&2
    return 0
  fi
  local missing=()
  for pkg in "${VARNEX_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "setup: installing ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

varnex_build() {
  local top
  top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
  cmake -S "$top" -B "$top/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$top/build" -j2 "$@"
}
