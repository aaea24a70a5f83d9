#!/usr/bin/env python3
"""Runs one script test: python3 run_script.py [--sanitized] <tarnel-binary> <test.tn>

A test is a .tn file whose comments say what the run must produce:

    # expect: <text>            the next line of standard output
    # expect-err: <text>        the next line of standard error
    # expect-err-match: <re>    the next line of standard error, fully matching a Python regex
    # exit: <N>                 the exit status (default 0)
    # args: <a b ...>           the arguments, split at spaces; {file} is the test file
                                (default: the test file alone)
    # stdin: <text>             one line of standard input (a line feed is added);
                                without any, standard input is empty
    # stop-after: <seconds>     send SIGTERM after that long (stdout is then what the pipe
                                received; a run killed by signal N has exit status -N)
    # memory-limit: <MiB>       run under that address-space limit (ulimit -v); such tests
                                are skipped (status 77) with --sanitized, whose shadow memory
                                cannot live under a limit

A directive is a comment of its own line or trails code on it (print(1)  # expect: 1).
One space after the colon is dropped; the rest, trailing spaces included, is the text.
In expect-err texts a leading "[TARNEL] ", "[DEBUG] " or "[DEBUG CALL] " stands for the
coloured log prefix, and \\e for the escape character (in both the plain and the regex form).
Standard output must consist of exactly the expected lines; without expect-err lines,
standard error must be empty. The run happens in the test file's folder, within 30 seconds.
"""
import difflib
import os
import re
import resource
import signal
import subprocess
import sys

TIMEOUT = 30
ESC = "\x1b"
DIRECTIVE = re.compile(
    r"(?:^|\s)#\s?(expect-err-match|expect-err|expect|exit|args|stdin|stop-after|memory-limit):(.*)$")
SKIPPED = 77
TAGS = ("TARNEL", "DEBUG CALL", "DEBUG")


def log_prefix(tag):
    return f"{ESC}[33m[{ESC}[93m{tag}{ESC}[33m]{ESC}[0m "


def expand_prefix(text, as_regex):
    """Replaces a leading [TAG] shorthand with the prefix, escaped when `text` is a regex."""
    for tag in TAGS:
        short = f"[{tag}] "
        if text.startswith(short):
            prefix = log_prefix(tag)
            return (re.escape(prefix) if as_regex else prefix) + text[len(short):]
    return text


class Test:
    def __init__(self, path):
        self.path = path
        self.stdout = []
        self.stderr = []  # (is_regex, text)
        self.exit = 0
        self.args = None
        self.stdin = []
        self.stop_after = None
        self.memory_limit = None
        with open(path, encoding="utf-8") as f:
            for number, line in enumerate(f, 1):
                match = DIRECTIVE.search(line.rstrip("\r\n"))
                if match:
                    self.add(match.group(1), match.group(2)[1:] if match.group(2).startswith(" ")
                             else match.group(2), number)

    def add(self, kind, value, number):
        if kind == "expect":
            self.stdout.append(value.replace("\\e", ESC))
        elif kind == "expect-err":
            self.stderr.append((False, expand_prefix(value.replace("\\e", ESC), as_regex=False)))
        elif kind == "expect-err-match":
            pattern = expand_prefix(value, as_regex=True).replace("\\e", "\\x1b")
            try:
                re.compile(pattern)
            except re.error as e:
                sys.exit(f"{self.path}:{number}: bad regex {value!r}: {e}")
            self.stderr.append((True, pattern))
        elif kind == "exit":
            self.exit = int(value.strip())
        elif kind == "args":
            self.args = value.split()
        elif kind == "stdin":
            self.stdin.append(value)
        elif kind == "stop-after":
            self.stop_after = float(value)
        elif kind == "memory-limit":
            self.memory_limit = int(value) << 20


def split_lines(text):
    lines = text.split("\n")
    if lines[-1] == "":
        lines.pop()
    return lines


def diff(what, expected, actual):
    shown = difflib.unified_diff([repr(l) for l in expected], [repr(l) for l in actual],
                                 f"expected {what}", f"actual {what}", lineterm="", n=2)
    return "\n".join(shown)


def stderr_problem(expected, actual):
    for i, (is_regex, want) in enumerate(expected):
        got = actual[i] if i < len(actual) else None
        ok = got is not None and (re.fullmatch(want, got, re.S) if is_regex else got == want)
        if not ok:
            kind = "a match of " + repr(want) if is_regex else repr(want)
            return f"stderr line {i + 1}: expected {kind}, got {got!r}"
    if len(actual) > len(expected):
        return f"stderr: unexpected extra lines {actual[len(expected):]!r}"
    return None


def run(test, command, folder, stdin):
    """Returns (exit status, stdout bytes, stderr bytes)."""
    limit = None
    if test.memory_limit is not None:
        def limit():
            resource.setrlimit(resource.RLIMIT_AS, (test.memory_limit, test.memory_limit))
    process = subprocess.Popen(command, cwd=folder, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, preexec_fn=limit)
    try:
        out, err = process.communicate(stdin, timeout=test.stop_after or TIMEOUT)
    except subprocess.TimeoutExpired:
        if test.stop_after is None:
            process.kill()
            process.communicate()
            sys.exit(f"FAIL: no exit within {TIMEOUT} s: tarnel {' '.join(command[1:])}")
        process.send_signal(signal.SIGTERM)
        out, err = process.communicate()
    return process.returncode, out, err


def main():
    arguments = sys.argv[1:]
    sanitized = bool(arguments) and arguments[0] == "--sanitized"
    if sanitized:
        arguments = arguments[1:]
    if len(arguments) != 2:
        sys.exit("usage: run_script.py [--sanitized] <tarnel-binary> <test.tn>")
    binary = os.path.abspath(arguments[0])
    test = Test(arguments[1])
    if sanitized and test.memory_limit is not None:
        print(f"SKIPPED {test.path}: an address-space limit does not work under sanitizers")
        return SKIPPED
    folder, name = os.path.split(os.path.abspath(test.path))
    args = [a.replace("{file}", name) for a in test.args] if test.args is not None else [name]
    stdin = "".join(line + "\n" for line in test.stdin).encode("utf-8")
    status, out, err = run(test, [binary] + args, folder, stdin)
    out = split_lines(out.decode("utf-8", "surrogateescape"))
    err = split_lines(err.decode("utf-8", "surrogateescape"))

    problems = []
    if out != test.stdout:
        problems.append("stdout differs:\n" + diff("stdout", test.stdout, out))
    problem = stderr_problem(test.stderr, err)
    if problem:
        problems.append(problem + "\nwhole stderr:\n" + "\n".join(repr(l) for l in err))
    if status != test.exit:
        problems.append(f"exit status: expected {test.exit}, got {status}")
    if problems:
        print(f"FAIL {test.path} (tarnel {' '.join(args)})")
        print("\n\n".join(problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
