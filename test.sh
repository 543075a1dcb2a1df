#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: a normal build, then a
# separate build with AddressSanitizer and UndefinedBehaviorSanitizer. In between,
# every file reader is fuzzed for a few seconds (libFuzzer, with the sanitizers).
# Last, the tests that compare one thread with several run under ThreadSanitizer.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh" --tests

"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release
ctest --test-dir "$here/build" --output-on-failure -j"$(nproc)"

"$here/scripts/fuzz.sh" "${FUZZ_SECONDS:-5}"

"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANDREL_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$here/tests/lsan.supp" \
  ctest --test-dir "$here/build-asan" --output-on-failure -j"$(nproc)"

# clang's OpenMP runtime tells ThreadSanitizer about its barriers through the
# archer tool; the other runtimes' synchronisation would look like races.
tsan="$here/build-tsan"
cmake -S "$here" -B "$tsan" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANDREL_TSAN=ON >/dev/null
cmake --build "$tsan" --target texgen_tests render_tests pack_tests -- -j"$(nproc)" >&2
archer=$(ls /usr/lib/llvm-*/lib/libarcher.so | head -n 1)
OMP_TOOL_LIBRARIES="$archer" TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1 \
  ctest --test-dir "$tsan" --output-on-failure -j"$(nproc)" --no-tests=error -R "Threads"
