#!/bin/sh
# Builds the Markdown parser's libFuzzer target with clang and runs it, seeded with the CommonMark and
# GFM examples. Usage: scripts/markdown/fuzz.sh [SECONDS]   (default 1200; extra libFuzzer flags via FUZZ_FLAGS)
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/fuzz
seconds=${1:-1200}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTOVIK_BUILD_TESTS=OFF -DTOVIK_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" --target markdown_fuzz
mkdir -p "$build/seeds" "$build/corpus"
python3 - "$root/tests/markdown/data" "$build/seeds" <<'PY'
import json, sys
data, out = sys.argv[1], sys.argv[2]
n = 0
for name in ("commonmark.json", "gfm.json"):
    for e in json.load(open(f"{data}/{name}", encoding="utf-8")):
        n += 1
        open(f"{out}/example-{n:04d}.md", "w", encoding="utf-8").write(e["markdown"])
PY
cd "$build"
./fuzz/markdown_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
  -dict="$root/fuzz/markdown.dict" -print_final_stats=1 $FUZZ_FLAGS corpus seeds
