#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the game need, or
# with an argument those of the web build (web) or of its test in a
# browser (web-test); --check GROUP only says (status) whether they are all
# there. As root it installs what is missing; otherwise it prints the
# apt-get line.
set -euo pipefail

check_only=false
if [[ "${1:-}" == --check ]]; then
  check_only=true
  shift
fi

WEB_PACKAGES=(emscripten)
WEB_TEST_PACKAGES=(chromium python3)
PACKAGES=(
  cmake g++ make pkg-config
  libsdl1.2-dev libsdl-net1.2-dev libsdl-mixer1.2-dev
  googletest libgtest-dev libbenchmark-dev
  libgif-dev
  libpugixml-dev zlib1g-dev libzstd-dev libpng-dev
  tiled
  xvfb xdotool
  libfreetype-dev fonts-dejavu-core
  imagemagick x11-apps
  gcovr
  clang libclang-rt-14-dev
)

case "${1:-}" in
  web) PACKAGES=("${WEB_PACKAGES[@]}") ;;
  web-test) PACKAGES=("${WEB_TEST_PACKAGES[@]}") ;;
esac

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
# Node.js and npm may come from elsewhere than Debian: any will do.
if [[ "${1:-}" == web-test ]] && ! command -v npm >/dev/null; then
  missing+=(nodejs npm)
fi

[[ ${#missing[@]} -eq 0 ]] && exit 0
$check_only && exit 1

if [[ $(id -u) -ne 0 ]]; then
  echo "bootstrap: missing packages: ${missing[*]}" >&2
  echo "bootstrap: run as root: apt-get install -y ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
echo "bootstrap: installing ${missing[*]}"
# A fresh machine may have no package lists yet: refresh them once and retry.
if ! apt-get install -y --no-install-recommends "${missing[@]}"; then
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
