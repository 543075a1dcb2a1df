#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: a normal build, then a
# separate build with AddressSanitizer and UndefinedBehaviorSanitizer. In between,
# every file reader is fuzzed for a few seconds (libFuzzer, with the sanitizers).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh"

"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)"

"$here/scripts/fuzz.sh" "${FUZZ_SECONDS:-5}"

"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANDREL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$here/tests/lsan.supp" \
  ctest --test-dir "$here/build-asan" --output-on-failure -j"$(nproc)"
