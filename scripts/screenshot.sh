#!/usr/bin/env bash
# Makes the README's pictures of the editor, offscreen, as PNGs in docs/ (or the
# folder given): the demo pack, and an empty editor after steps 1, 3 and 5 of
# "Getting started" with the dialog of steps 1 and 3 unfolded.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/docs}
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
mkdir -p "$out"
cd "$here"
"$here/build/editor_screenshot" examples/demo.vsc "$out/editor.png"
"$here/build/editor_screenshot" --steps 1 "$out/step1_texture.png" 2
"$here/build/editor_screenshot" --steps 3 "$out/step3_material.png" 6
"$here/build/editor_screenshot" --steps 5 "$out/step5_clones.png"
echo "screenshots: $out/editor.png, step1_texture.png, step3_material.png, step5_clones.png"
