#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds on
# its seed corpus (new inputs go to a scratch folder, not into the sources).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANDREL_FUZZ=ON -DVANDREL_TESTS=OFF -DVANDREL_BENCH=OFF >/dev/null
targets=()
for source in "$here"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$here/build-fuzz" --target "${targets[@]}" -- -j"$(nproc)" >&2
for target in "${targets[@]}"; do
  corpus="$here/fuzz/corpus/${target#fuzz_}"
  scratch=$(mktemp -d)
  if ! "$here/build-fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=4096 "$scratch" "$corpus" \
      >"$scratch.log" 2>&1; then
    tail -n 40 "$scratch.log" >&2
    echo "fuzz: $target found a failure (log: $scratch.log)" >&2
    exit 1
  fi
  echo "fuzz: $target ran $seconds s clean"
  rm -rf "$scratch" "$scratch.log"
done
