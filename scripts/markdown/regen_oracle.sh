#!/bin/sh
# Regenerates the reference parser's trees that the Markdown tests compare with:
#   tests/markdown/data/oracle_examples.jsonl  (every CommonMark and GFM example)
#   tests/markdown/data/oracle_fixtures.jsonl  (the files in tests/markdown/data/fixtures)
# Needs node and npm (the oracle's packages are installed into a temporary directory).
# Usage: scripts/markdown/regen_oracle.sh [ORACLE_DIR]   (default ../shared/tools/mdast-oracle)
set -e
root=$(cd "$(dirname "$0")/../.." && pwd)
oracle_src=${1:-$root/../shared/tools/mdast-oracle}
data=$root/tests/markdown/data
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp -r "$oracle_src" "$tmp/oracle"
chmod -R u+w "$tmp/oracle"
(cd "$tmp/oracle" && npm ci --silent >/dev/null)
node -e '
const fs = require("fs")
const [data, out] = process.argv.slice(1)
const cm = JSON.parse(fs.readFileSync(data + "/commonmark.json", "utf8"))
const gfm = JSON.parse(fs.readFileSync(data + "/gfm.json", "utf8"))
const cases = cm.map((e) => ({example: String(e.example), markdown: e.markdown}))
  .concat(gfm.map((e) => ({example: "gfm:" + e.id, markdown: e.markdown})))
fs.writeFileSync(out, JSON.stringify(cases))
' "$data" "$tmp/cases.json"
node "$tmp/oracle/dump.mjs" --json-cases "$tmp/cases.json" > "$data/oracle_examples.jsonl"
(cd "$data/fixtures" && node "$tmp/oracle/dump.mjs" *.md) > "$data/oracle_fixtures.jsonl"
echo "wrote $(wc -l < "$data/oracle_examples.jsonl") example trees and $(wc -l < "$data/oracle_fixtures.jsonl") fixture trees"
