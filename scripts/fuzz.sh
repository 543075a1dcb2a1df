#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds on
# its seed corpus (new inputs go to a scratch folder, not into the sources). Big
# and odd inputs are made afresh beside the seeds: files past a megabyte, a
# megabyte of unknown lines, line ends of CR LF, nothing at all, zero bytes.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
CXX=clang++ cmake -S "$here" -B "$here/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVANDREL_FUZZ=ON -DVANDREL_TESTS=OFF -DVANDREL_BENCH=OFF >/dev/null
targets=()
for source in "$here"/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$here/build-fuzz" --target "${targets[@]}" -- -j"$(nproc)" >&2

# repeat LINE BYTES: LINE over and over, BYTES long.
# (yes ends on the broken pipe, which is no failure here.)
repeat() { yes "$1" | head -c "$2" || true; }

# Odd and big inputs for one corpus, into the folder given.
odd_inputs() {
  local corpus=$1 out=$2
  : >"$out/empty"
  head -c 4096 /dev/zero >"$out/zeros"
  for seed in "$corpus"/*; do sed 's/$/\r/' "$seed" >"$out/crlf-$(basename "$seed")"; done
  case $(basename "$corpus") in
    texture_log)
      { printf 'texture generation log\ntsize=32;\n'; repeat 'swirl(1,2);' 1100000; } >"$out/unknown-lines.vtx"
      { printf 'texture generation log\ntsize=32;\n'; repeat 'Invert();' 1100000; } >"$out/long.vtx" ;;
    pack)
      { cat "$here/examples/demo.vsc"; repeat 'Noise(90);' 1100000; } >"$out/big.vsc" ;;
    geometry_text)
      { printf '1,\n127,\n'; repeat '255,' 1100000; } >"$out/big-rows.vsl" ;;
  esac
}

for target in "${targets[@]}"; do
  corpus="$here/fuzz/corpus/${target#fuzz_}"
  scratch=$(mktemp -d)
  extra=$(mktemp -d)
  odd_inputs "$corpus" "$extra"
  # Crash and slow-input files go to the scratch folder, not into the working directory.
  if ! "$here/build-fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=4096 -artifact_prefix="$scratch/" \
      "$scratch" "$corpus" "$extra" >"$scratch.log" 2>&1; then
    tail -n 40 "$scratch.log" >&2
    echo "fuzz: $target found a failure (log: $scratch.log)" >&2
    exit 1
  fi
  echo "fuzz: $target ran $seconds s clean, big and odd inputs included"
  rm -rf "$scratch" "$scratch.log" "$extra"
done
