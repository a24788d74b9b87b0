# Shared by scripts/run, scripts/test and scripts/fuzz: installs what the
# build needs from Debian's packages (only what is missing) and builds into
# build/ (or $VESTRANE_BUILD_DIR).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VESTRANE_BUILD_DIR:-$ROOT/build}"

# clang 14 and its runtime (sanitizers, libFuzzer) build the fuzz targets.
# help2man makes the batch tool's manual page; desktop-file-utils, appstream
# and shared-mime-info check the installed desktop entry, metadata and MIME
# type; dpkg-dev and file let CPack work out the Debian package's dependencies.
PACKAGES=(cmake ninja-build g++ pkg-config python3
          qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
          libgtest-dev libgmock-dev libbenchmark-dev libfreexl-dev
          clang-14 libclang-rt-14-dev
          help2man desktop-file-utils appstream shared-mime-info dpkg-dev file)

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

# build_in DIR [CMAKE ARGS...]: configures and builds everything in DIR.
build_in() {
  local dir="$1"
  shift
  cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j"$(nproc)"
}

build() {
  build_in "$BUILD" "$@"
}
