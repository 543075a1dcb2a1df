#!/usr/bin/env bash
# Builds the Debian package: a Release build in a folder of its own, then cpack.
# package.sh [BUILD_DIR]; prints the package's path. Install it with
# `sudo dpkg -i` (or `sudo apt install ./vandrel_*.deb` to pull its dependencies).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-$here/build-package}
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$dir" -DCMAKE_BUILD_TYPE=Release -DVANDREL_TESTS=OFF -DVANDREL_BENCH=OFF
rm -f "$dir"/vandrel_*.deb
(cd "$dir" && cpack -G DEB >&2)
echo "$dir"/vandrel_*.deb
