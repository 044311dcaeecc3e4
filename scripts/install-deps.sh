#!/usr/bin/env bash
# Installs every Debian package that meltsim builds, tests and benchmarks with.
# Idempotent: packages already present are left as they are.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libeigen3-dev libboost-dev
  qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6opengl6-dev libgl-dev
  xvfb xauth fonts-dejavu-core
  valgrind clang-format time
  help2man dpkg-dev fakeroot lintian appstream desktop-file-utils
  pybind11-dev python3-dev python3-numpy python3-pytest python3-matplotlib
  python3-venv python3-pip python3-setuptools python3-wheel python3-skbuild
  poppler-utils locales
  emscripten
  chromium
  clang libclang-rt-14-dev
)

# Node.js and npm (the WebAssembly build's tests, the page): Debian's
# packages where the machine has none of its own.
command -v node >/dev/null 2>&1 || PACKAGES+=(nodejs)
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  echo "install-deps: all packages present"
else
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A comma locale for the tests that check that no number depends on it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the de_DE.UTF-8 locale"
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
