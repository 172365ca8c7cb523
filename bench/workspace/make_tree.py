#!/usr/bin/env python3
"""Builds a synthetic workspace for the discovery benchmark: FILES Markdown and other files in
DIRS directories up to four levels deep, with .gitignore files at several depths."""
import os
import random
import subprocess
import sys


def main() -> None:
    if len(sys.argv) < 2:
        sys.exit("usage: make_tree.py OUT_DIR [FILES] [DIRS]")
    out = sys.argv[1]
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 50_000
    dirs = int(sys.argv[3]) if len(sys.argv) > 3 else 5_000
    rng = random.Random(42)

    os.makedirs(out, exist_ok=True)
    # A real repository, so `git ls-files` can list the same tree for comparison.
    subprocess.run(["git", "init", "-q", out], check=True)
    directories = [""]
    while len(directories) < dirs:
        parent = rng.choice(directories)
        if parent.count("/") >= 3:
            continue
        name = rng.choice(["docs", "guide", "api", "build", "src", "notes", "ref", "tmp", "dist", "site"])
        path = f"{parent}/{name}{len(directories)}".lstrip("/")
        directories.append(path)
        os.makedirs(os.path.join(out, path), exist_ok=True)

    # Ignore files at the root and on every 50th directory; about a fifth of the files end up ignored.
    with open(os.path.join(out, ".gitignore"), "w") as f:
        f.write("build*/\n*.tmp.md\n/dist*/\n")
    for i, path in enumerate(directories[1:], start=1):
        if i % 50 == 0:
            with open(os.path.join(out, path, ".gitignore"), "w") as f:
                f.write("drafts/\n*.draft.md\n!keep.draft.md\n**/generated/*.md\n")

    for i in range(files):
        directory = directories[i % len(directories)]
        kind = rng.random()
        if kind < 0.7:
            name = f"page{i}.md"
        elif kind < 0.8:
            name = f"page{i}.draft.md"
        elif kind < 0.85:
            name = f"page{i}.tmp.md"
        else:
            name = f"file{i}.txt"
        with open(os.path.join(out, directory, name), "w") as f:
            f.write("# Title\n")


if __name__ == "__main__":
    main()
