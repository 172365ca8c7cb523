#!/bin/sh
# Discovery benchmark: one discovery pass over a generated tree of 50 000 files in 5 000
# directories with .gitignore files at several depths, timed with hyperfine against `find` and
# `git ls-files --others --exclude-standard` on the same tree.
#
# Usage: bench/workspace/discovery.sh [BUILD_DIR]
# BUILD_DIR is a release build holding the tovik_discover driver (bench/workspace/discover_main.cpp);
# default build/bench. The tree is generated once under $TMPDIR (or /tmp).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build/bench}
driver=$build/bench/workspace/tovik_discover
[ -x "$driver" ] || driver=$build/bench/tovik_discover
[ -x "$driver" ] || driver=$build/tovik_discover
if [ ! -x "$driver" ]; then
  echo "tovik_discover not found in $build; build the benchmarks first (make bench)" >&2
  exit 2
fi
command -v hyperfine >/dev/null || { echo "hyperfine is required" >&2; exit 2; }

tree=${TMPDIR:-/tmp}/tovik-discovery-tree
if [ ! -f "$tree/.complete" ]; then
  rm -rf "$tree"
  python3 "$here/make_tree.py" "$tree" 50000 5000
  touch "$tree/.complete"
fi

echo "tree: $(find "$tree" -type f -not -path '*/.git/*' | wc -l) files, $(find "$tree" -type d -not -path '*/.git*' | wc -l) directories"
echo "tovik: $("$driver" "$tree")"
echo "git:   $(git -C "$tree" -c core.excludesFile=/dev/null ls-files --others --exclude-standard | grep -ci '\.md$') Markdown files not ignored"

hyperfine --warmup 3 --runs 20 -N \
  "$driver $tree" \
  "find $tree -name *.md" \
  "git -C $tree -c core.excludesFile=/dev/null ls-files --others --exclude-standard"
