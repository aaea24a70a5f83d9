#!/usr/bin/env python3
"""Check the Vim support in editors/vim against tests/editors/sample.tn.

Usage: python3 vim_test.py <repo-root>

Runs Vim headless with only editors/vim and Vim's own runtime files on 'runtimepath', opens the
sample (so ftdetect/tarnel.vim must set the filetype), asks for the syntax group at chosen
positions and for the standard group each tarnel group links to, and compares. Prints every
mismatch; exit status 1 on any.
"""
import os
import shutil
import subprocess
import sys
import tempfile

SAMPLE = os.path.join("tests", "editors", "sample.tn")

# (line, text, group): the character checked is the first character of the first occurrence of
# text on that line of the sample (1-based line numbers).
EXPECT = [
    (1, "# A sample", "tarnelComment"),
    (1, "editor tests", "tarnelComment"),
    (2, "/*", "tarnelComment"),
    (2, "block", "tarnelComment"),
    (3, "over", "tarnelComment"),
    (3, "*/", "tarnelComment"),
    (4, "def", "tarnelKeyword"),
    (4, "area", "tarnelFunctionName"),
    (4, "width", ""),
    (5, "return", "tarnelStatement"),
    (5, "*", "tarnelOperator"),
    (9, "use", "tarnelStatement"),
    (9, "http", ""),
    (10, "let", "tarnelKeyword"),
    (10, "=", "tarnelOperator"),
    (10, "42", "tarnelNumber"),
    (11, "3.5", "tarnelFloat"),
    (11, ".5", "tarnelFloat"),
    (12, '"tab', "tarnelString"),
    (12, "tab", "tarnelString"),
    (12, "\\t", "tarnelEscape"),
    (12, "here", "tarnelString"),
    (12, '\\"', "tarnelEscape"),
    (12, "quoted", "tarnelString"),
    (12, "\\\\ end", "tarnelEscape"),
    (12, "end", "tarnelString"),
    (12, 'd"', "tarnelString"),
    (13, "global", "tarnelStatement"),
    (13, "total", ""),
    (14, "if", "tarnelConditional"),
    (14, ">=", "tarnelOperator"),
    (14, "10", "tarnelNumber"),
    (14, "and", "tarnelOperator"),
    (14, "not", "tarnelOperator"),
    (14, "false", "tarnelBoolean"),
    (15, "print", "tarnelBuiltin"),
    (15, "concat", "tarnelBuiltin"),
    (15, '": "', "tarnelString"),
    (15, "area", ""),
    (16, "else", "tarnelConditional"),
    (17, "null", "tarnelConstant"),
    (19, "for", "tarnelRepeat"),
    (19, " in", ""),
    (19, "in ", "tarnelRepeat"),
    (19, "0", "tarnelNumber"),
    (19, "..", "tarnelOperator"),
    (19, "3", "tarnelNumber"),
    (20, "==", "tarnelOperator"),
    (20, "continue", "tarnelStatement"),
    (21, "+=", "tarnelOperator"),
    (21, "**", "tarnelOperator"),
    (23, "while", "tarnelRepeat"),
    (23, "true", "tarnelBoolean"),
    (23, "break", "tarnelStatement"),
    (24, "match", "tarnelConditional"),
    (25, "=>", "tarnelOperator"),
    (26, "upper", "tarnelBuiltin"),
    (28, "try", "tarnelException"),
    (29, "http.get", "tarnelModuleFunction"),
    (29, "get", "tarnelModuleFunction"),
    (29, "127", "tarnelString"),
    (30, "catch", "tarnelException"),
    (30, "err", ""),
    (33, "sdl2", "tarnelModuleFunction"),
    (33, "create_window", "tarnelModuleFunction"),
    (33, "640", "tarnelNumber"),
    (34, "json", ""),
    (34, "len", "tarnelBuiltin"),
    (34, "!=", "tarnelOperator"),
    (34, "or", "tarnelOperator"),
]

# The standard group each tarnel group must link to.
LINKS = {
    "tarnelKeyword": "Keyword",
    "tarnelConditional": "Conditional",
    "tarnelRepeat": "Repeat",
    "tarnelStatement": "Statement",
    "tarnelException": "Exception",
    "tarnelOperator": "Operator",
    "tarnelBoolean": "Boolean",
    "tarnelConstant": "Constant",
    "tarnelFunctionName": "Function",
    "tarnelBuiltin": "Function",
    "tarnelModuleFunction": "Function",
    "tarnelNumber": "Number",
    "tarnelFloat": "Float",
    "tarnelString": "String",
    "tarnelEscape": "SpecialChar",
    "tarnelComment": "Comment",
    "tarnelTodo": "Todo",
}


def vim_str(s):
    """A single-quoted Vim string literal."""
    return "'" + s.replace("'", "''") + "'"


def main():
    if len(sys.argv) != 2:
        print("usage: python3 vim_test.py <repo-root>", file=sys.stderr)
        return 2
    root = os.path.abspath(sys.argv[1])
    vim = shutil.which("vim")
    if vim is None:
        print("FAIL: vim not found on PATH")
        return 1
    sample = os.path.join(root, SAMPLE)
    with open(sample, encoding="utf-8") as f:
        lines = f.read().split("\n")

    failures = []
    probes = []  # (line, col, text, group)
    for line, text, group in EXPECT:
        col = lines[line - 1].find(text) if line <= len(lines) else -1
        if col < 0:
            failures.append(f"sample line {line}: text {text!r} not found (sample changed?)")
            continue
        probes.append((line, col + 1, text, group))

    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "result.txt")
        script = os.path.join(tmp, "probe.vim")
        rtp = os.path.join(root, "editors", "vim").replace("\\", "\\\\").replace(",", "\\,")
        body = [
            "let &runtimepath = " + vim_str(rtp) + " . ',' . $VIMRUNTIME",
            "filetype on",
            "syntax on",
            "execute 'edit' fnameescape(" + vim_str(sample) + ")",
            "let s:out = ['filetype ' . &filetype,"
            " 'syntax ' . get(b:, 'current_syntax', '')]",
        ]
        for line, col, _, _ in probes:
            body.append(f"call add(s:out, 'at {line} {col} ' . "
                        f"synIDattr(synID({line}, {col}, 1), 'name'))")
        for group in LINKS:
            body.append(f"call add(s:out, 'link {group} ' . "
                        f"matchstr(execute('highlight {group}'), 'links to \\zs\\S\\+'))")
        body.append("call add(s:out, 'errmsg ' . v:errmsg)")
        body.append("call writefile(s:out, " + vim_str(out) + ")")
        body.append("qa!")
        with open(script, "w", encoding="utf-8") as f:
            f.write("\n".join(body) + "\n")

        try:
            proc = subprocess.run(
                [vim, "-es", "-N", "-u", "NONE", "-i", "NONE", "-n", "-S", script],
                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                timeout=30, cwd=tmp)
        except subprocess.TimeoutExpired:
            print("FAIL: vim did not finish within 30 seconds")
            return 1
        if not os.path.exists(out):
            print(f"FAIL: vim wrote no results (exit status {proc.returncode})")
            print(proc.stdout.decode(errors="replace"))
            return 1
        with open(out, encoding="utf-8") as f:
            got = f.read().split("\n")

    kv = {}
    for row in got:
        # Each row is "KEY VALUE"; KEY may hold spaces ("at 4 1"), VALUE may be empty.
        if row.startswith(("at ", "link ")):
            key, _, value = row.rpartition(" ")
        else:
            key, _, value = row.partition(" ")
        kv[key] = value
    if proc.returncode != 0:
        failures.append(f"vim exit status {proc.returncode}; last error: "
                        f"{kv.get('errmsg') or proc.stdout.decode(errors='replace').strip()}")
    if kv.get("filetype") != "tarnel":
        # Nothing else can be right: report this alone.
        failures.append(f"filetype is {kv.get('filetype')!r}, want 'tarnel' (ftdetect)")
        probes, links = [], {}
    else:
        links = LINKS
        if kv.get("syntax") != "tarnel":
            failures.append(f"b:current_syntax is {kv.get('syntax')!r}, want 'tarnel'")
    for line, col, text, group in probes:
        have = kv.get(f"at {line} {col}")
        if have != group:
            failures.append(f"line {line} col {col} ({text!r}): group {have or 'none'!r}, "
                            f"want {group or 'none'!r}")
    for group, target in links.items():
        have = kv.get(f"link {group}")
        if have != target:
            failures.append(f"{group} links to {have or 'nothing'!r}, want {target!r}")

    for msg in failures:
        print("FAIL: " + msg)
    if failures:
        print(f"{len(failures)} failure(s)")
        return 1
    print(f"ok: filetype, {len(probes)} positions, {len(LINKS)} links")
    return 0


if __name__ == "__main__":
    sys.exit(main())
