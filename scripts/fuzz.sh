#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a bounded
# time (seconds, default 60), starting from the seed inputs in fuzz/corpus.
# New inputs go to a temporary folder; the seeds are left as they are.
# A crash, a leak or a hang stops the script with the fuzzer's report.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, fuzz targets skipped" >&2
  exit 0
fi

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DVELVETPANE_FUZZ=ON -DVELVETPANE_UI=OFF -DVELVETPANE_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_url_commands fuzz_icc_description

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in url_commands:url icc_description:icc; do
  name="fuzz_${target%%:*}"
  seeds="fuzz/corpus/${target##*:}"
  mkdir -p "$work/$name"
  echo "fuzz: $name for ${seconds}s"
  "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=5 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$work/" "$work/$name" "$seeds" >"$work/$name.log" 2>&1 || {
    tail -n 60 "$work/$name.log" >&2
    exit 1
  }
  grep -E "^Done|stat::number_of_executed_units|stat::peak_rss_mb|cov:" "$work/$name.log" | tail -n 4
done
