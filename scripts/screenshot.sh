#!/usr/bin/env bash
# Makes the README's pictures of the editor: the demo pack opened offscreen and
# the frame window grabbed to PNGs in docs/ (or the folder given).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs}
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
mkdir -p "$out"
cd "$here"
"$here/build/editor_screenshot" examples/demo.vsc "$out/editor.png"
"$here/build/editor_screenshot" examples/demo.vsc "$out/texture_editor.png" 2
"$here/build/editor_screenshot" examples/demo.vsc "$out/scenes.png" 3
echo "screenshots: $out/editor.png, texture_editor.png, scenes.png"
