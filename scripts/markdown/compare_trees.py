#!/usr/bin/env python3
"""Compares two sets of Markdown trees printed as JSON lines ({"example"|"file", "tree"}): the reference
parser's (scripts/markdown/regen_oracle.sh, or the oracle's dump.mjs on any files) and ours
(markdown_dump). Prints the number of identical trees and, for each other one, its first difference.

Usage: compare_trees.py ORACLE.jsonl OURS.jsonl [--verbose] [--max N]
"""
import collections
import json
import sys


def key_of(entry):
    return str(entry.get("example", entry.get("file")))


def first_difference(a, b, path="root"):
    """Returns (path, description) of the first difference between two node dicts, or None."""
    if a.get("type") != b.get("type"):
        return path, f"type {a.get('type')} != {b.get('type')}"
    here = f"{path}>{a['type']}"
    # The oracle leaves nodes made by its autolink-literal pass without a span: not compared.
    if a.get("span") is not None and a.get("span") != b.get("span"):
        return here, f"span {a.get('span')} != {b.get('span')}"
    for field in sorted(set(a) | set(b)):
        if field in ("type", "span", "children"):
            continue
        if a.get(field) != b.get(field):
            return here, f"{field} {json.dumps(a.get(field))[:80]} != {json.dumps(b.get(field))[:80]}"
    ca, cb = a.get("children", []), b.get("children", [])
    for i, (x, y) in enumerate(zip(ca, cb)):
        d = first_difference(x, y, f"{here}[{i}]")
        if d:
            return d
    if len(ca) != len(cb):
        return here, f"children {len(ca)} != {len(cb)}"
    return None


def load(path):
    out = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.strip():
                e = json.loads(line)
                out[key_of(e)] = e["tree"]
    return out


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    verbose = "--verbose" in sys.argv
    limit = 40
    if "--max" in sys.argv:
        limit = int(sys.argv[sys.argv.index("--max") + 1])
    oracle, ours = load(args[0]), load(args[1])
    identical = 0
    kinds = collections.Counter()
    shown = 0
    for key, tree in oracle.items():
        if key not in ours:
            print(f"{key}: missing from ours")
            continue
        d = first_difference(tree, ours[key])
        if d is None:
            identical += 1
            continue
        path, what = d
        kind = path.split(">")[-1].split("[")[0] + ": " + what.split(" ")[0]
        kinds[kind] += 1
        if verbose or shown < limit:
            print(f"{key}: at {path}: {what} (oracle != ours)")
            shown += 1
    print(f"identical: {identical} / {len(oracle)}")
    for kind, count in kinds.most_common():
        print(f"  {count:5d}  {kind}")


if __name__ == "__main__":
    main()
