#!/usr/bin/env python3
"""Runs tarnel-check tests.

    run_check.py <tarnel-check> <test.tn>
        One test: the file's comments say what the check must report.

            # finding: <line>:<column>: <message> [<check>]
                                   the next finding, in order; a message ending in "..." only
                                   has to begin with the text before it
            # args: <a b ...>      the arguments, split at spaces; {file} is the test file
                                   (default: the test file alone)
            # exit: <N>            the exit status (default 1 with findings, else 0)
            # expect-err: <text>   the next line of standard error (default: none)

        The run happens in the test file's folder.

    run_check.py --clean <tarnel-check> <folder>...
        Every script under the folders must give no finding, except fixtures (_*.tn) and
        scripts whose test expects error output.
"""
import os
import re
import subprocess
import sys

DIRECTIVE = re.compile(r"(?:^|\s)#\s?(finding|args|exit|expect-err):(.*)$")
FINDING = re.compile(r"(\d+:\d+): (.*) \[([a-z-]+)\]$")
EXPECTS_ERRORS = re.compile(r"#\s?expect-err")


def run(command, folder):
    result = subprocess.run(command, cwd=folder, capture_output=True, timeout=60)
    return (result.returncode, result.stdout.decode("utf-8", "replace").splitlines(),
            result.stderr.decode("utf-8", "replace").splitlines())


def finding_matches(expected, line, path):
    """`expected` is "L:C: message [check]"; `line` a line of tarnel-check's output."""
    want = FINDING.match(expected)
    got = FINDING.match(line[len(path) + 1:]) if line.startswith(path + ":") else None
    if not want or not got or want.group(1) != got.group(1) or want.group(3) != got.group(3):
        return False
    message, actual = want.group(2), got.group(2).removeprefix("warning: ")
    if message.endswith("..."):
        return actual.startswith(message[:-3])
    return actual == message


def check_one(binary, path):
    findings, errors, args, status = [], [], None, None
    with open(path, encoding="utf-8") as f:
        for line in f:
            match = DIRECTIVE.search(line.rstrip("\r\n"))
            if not match:
                continue
            kind, value = match.group(1), match.group(2).strip()
            if kind == "finding":
                findings.append(value)
            elif kind == "args":
                args = value.split()
            elif kind == "exit":
                status = int(value)
            else:
                errors.append(value)
    folder, name = os.path.split(os.path.abspath(path))
    args = [a.replace("{file}", name) for a in args] if args is not None else [name]
    code, out, err = run([binary] + args, folder)
    if status is None:
        status = 1 if findings else 0
    problems = []
    if len(out) != len(findings) or not all(
            finding_matches(e, o, name) for e, o in zip(findings, out)):
        problems.append("findings differ:\n  expected:\n    " + "\n    ".join(findings) +
                        "\n  actual:\n    " + "\n    ".join(out))
    if err != errors:
        problems.append(f"stderr: expected {errors!r}, got {err!r}")
    if code != status:
        problems.append(f"exit status: expected {status}, got {code}")
    if problems:
        print(f"FAIL {path} (tarnel-check {' '.join(args)})")
        print("\n".join(problems))
        return 1
    return 0


def check_clean(binary, folders):
    scripts = []
    for folder in folders:
        for root, _, names in os.walk(folder):
            for name in sorted(names):
                path = os.path.join(root, name)
                if not name.endswith(".tn") or name.startswith("_"):
                    continue
                with open(path, encoding="utf-8", errors="replace") as f:
                    if EXPECTS_ERRORS.search(f.read()):
                        continue
                scripts.append(path)
    # One run per script, so that no script lends its names to another.
    failed = 0
    for script in scripts:
        code, out, err = run([binary, os.path.abspath(script)], os.path.dirname(script) or ".")
        if code != 0 or out or err:
            print("\n".join(out + err))
            failed = 1
    print(f"{len(scripts)} scripts checked")
    return failed


def main():
    arguments = sys.argv[1:]
    if len(arguments) >= 3 and arguments[0] == "--clean":
        return check_clean(os.path.abspath(arguments[1]), arguments[2:])
    if len(arguments) != 2:
        sys.exit(__doc__)
    return check_one(os.path.abspath(arguments[0]), arguments[1])


if __name__ == "__main__":
    sys.exit(main())
