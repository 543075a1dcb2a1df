#!/usr/bin/env bash
# Sets up, builds and runs vandrel with the given arguments,
# for example: ./run.sh texture examples/marble.vtx -o marble.png
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
exec "$here/build/vandrel" "$@"
