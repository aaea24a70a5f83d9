#!/usr/bin/env python3
"""Every name the interpreter knows is in each editor file and has an entry in the reference:
python3 names_test.py <list_names-binary> <repository-root>

The names come from the interpreter's own lists (tests/tools/list_names.cpp), so adding a
keyword, builtin or module function without adding it here fails the build."""
import os
import re
import subprocess
import sys


def main():
    binary, root = sys.argv[1:]
    names = [line.split() for line in subprocess.run(
        [binary], capture_output=True, text=True, check=True).stdout.splitlines()]
    with open(os.path.join(root, "docs/reference.md"), encoding="utf-8") as f:
        headings = "\n".join(line for line in f if line.startswith("#"))
    files = {path: open(os.path.join(root, path), encoding="utf-8").read()
             for path in ("editors/vim/syntax/tarnel.vim", "editors/vscode/tarnel.tmLanguage.json")}
    missing = []
    for kind, name in names:
        word = re.compile(rf"(?<![\w]){re.escape(name)}(?![\w])")
        for path, text in files.items():
            if not word.search(text):
                missing.append(f"{path}: {kind} `{name}`")
        if kind != "keyword":
            documented = name if kind == "builtin" else f"{kind}.{name}"
            if not re.search(rf"^#+ .*(?<![\w.]){re.escape(documented)}(?![\w])", headings, re.M):
                missing.append(f"docs/reference.md: no heading for `{documented}`")
    if missing:
        print("Names the interpreter has but these files lack:\n  " + "\n  ".join(missing))
        return 1
    print(f"{len(names)} names in every editor file and the reference")
    return 0


if __name__ == "__main__":
    sys.exit(main())
