# Shared by scripts/test and scripts/run: packages, build, Wine environment.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

PACKAGES=(cmake ninja-build g++-mingw-w64-x86-64-posix mingw-w64-tools googletest wine wine64 xvfb xauth x11-utils imagemagick xdotool fp-utils openbox)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

build() {
  cd "$ROOT"
  # Configured afresh also when the preset changed since (an older build folder keeps the build
  # type it was first configured with otherwise).
  if [ ! -f "$BUILD/build.ninja" ] || [ "$ROOT/CMakePresets.json" -nt "$BUILD/CMakeCache.txt" ]; then
    cmake --preset cross -DVXQ_WERROR=${VXQ_WERROR:-ON} >/dev/null
  fi
  cmake --build --preset cross
}

wine_env() {
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  export WINEPREFIX="$1"
}
