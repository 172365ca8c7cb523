#!/bin/sh
# Regenerates tests/markdown/data/commonmark.json and gfm.json: the examples of the npm package
# commonmark-spec 0.31.2 and the GFM extension examples of ../shared/testdata/gfm. Needs node and npm.
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && npm init -y >/dev/null && npm install --silent commonmark-spec@0.31.2 >/dev/null)
node "$root/scripts/markdown/extract_examples.mjs" "$tmp/node_modules/commonmark-spec/spec.txt" \
  "${1:-$root/../shared/testdata/gfm}" "$root/tests/markdown/data"
