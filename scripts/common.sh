# SPDX-License-Identifier: MIT
# Shared by scripts/run, scripts/test, scripts/package and scripts/fuzz:
# installs what the build needs from Debian's packages (only what is missing)
# and builds into build/ (or $VESTRANE_BUILD_DIR).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VESTRANE_BUILD_DIR:-$ROOT/build}"

# clang 14 and its runtime (sanitizers, libFuzzer) build the fuzz targets.
# help2man makes the manual pages; desktop-file-utils and appstream check the
# installed desktop entry and metadata; dpkg-dev gives the hardening flags and,
# with file, lets CPack work out the Debian package's dependencies; lintian
# checks the package against Debian's policy.
PACKAGES=(cmake ninja-build g++ pkg-config python3
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
          libquazip1-qt6-dev libexpat1-dev libfreexl-dev
          libgtest-dev libgmock-dev libbenchmark-dev
          clang-14 libclang-rt-14-dev
          help2man desktop-file-utils appstream dpkg-dev file lintian)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# configure_in DIR [CMAKE ARGS...]: configures the build in DIR.
configure_in() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}

# build_in DIR [CMAKE ARGS...]: configures and builds everything in DIR.
build_in() {
  configure_in "$@"
  cmake --build "$1" -j"$(nproc)"
}

build() {
  build_in "$BUILD" "$@"
}
