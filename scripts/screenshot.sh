#!/usr/bin/env bash
# Makes the README's picture of the editor: the demo pack opened offscreen and
# the frame window grabbed to a PNG (default docs/editor.png).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs/editor.png}
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
mkdir -p "$(dirname "$out")"
cd "$here"
"$here/build/editor_screenshot" examples/demo.vsc "$out"
echo "screenshot: $out"
