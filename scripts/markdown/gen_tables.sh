#!/bin/sh
# Regenerates src/markdown/tables.cpp from the npm package character-entities (needs node and npm).
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$root/scripts/markdown/gen_tables.mjs" "$tmp/"
(cd "$tmp" && npm init -y >/dev/null && npm install --silent character-entities@2.0.2 >/dev/null)
node "$tmp/gen_tables.mjs" "$root/src/markdown/tables.cpp"
