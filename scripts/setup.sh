#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# With --tests, also what the tests use as real clients of our exports:
# Chromium, Node.js with npm, and the npm packages locked in tests/web.
# Works as root or through sudo; does nothing when everything is there.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev libomp-14-dev libtbb-dev
  libpng-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core
  librsvg2-bin desktop-file-utils libxml2-utils shared-mime-info man-db dpkg-dev
  libtinygltf-dev libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
)
for_tests=false
[ "${1:-}" = "--tests" ] && for_tests=true
if $for_tests; then
  packages+=(chromium nodejs)
  # Debian's nodejs comes without npm; other builds of it bring their own.
  command -v npm >/dev/null 2>&1 || packages+=(npm)
fi

install_web_clients() {
  $for_tests || return 0
  [ -d "$here/tests/web/node_modules/gltf-validator" ] && [ -d "$here/tests/web/node_modules/three" ] && return 0
  (cd "$here/tests/web" && npm ci --no-audit --no-fund --loglevel=error)
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  install_web_clients
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
install_web_clients
