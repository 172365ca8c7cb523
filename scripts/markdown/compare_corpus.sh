#!/bin/sh
# Compares the parser's trees with the reference parser's (the mdast oracle) on every .md file under
# the given directories, and prints the agreement and each file's first difference.
# Needs node and npm, and a build of markdown_dump (cmake --build BUILD --target markdown_dump).
# Usage: scripts/markdown/compare_corpus.sh BUILD_DIR DIR...   e.g. build/md ../shared/corpora /usr/share/doc
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$1
shift
dump=$build/tests/markdown/markdown_dump
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -r "$root/../shared/tools/mdast-oracle" "$tmp/oracle"
chmod -R u+w "$tmp/oracle"
(cd "$tmp/oracle" && npm ci --silent >/dev/null)
find "$@" -name '*.md' -type f -print0 | sort -z > "$tmp/files"
xargs -0 node "$tmp/oracle/dump.mjs" < "$tmp/files" > "$tmp/oracle.jsonl"
xargs -0 "$dump" < "$tmp/files" > "$tmp/ours.jsonl"
python3 "$root/scripts/markdown/compare_trees.py" "$tmp/oracle.jsonl" "$tmp/ours.jsonl" --max 100
