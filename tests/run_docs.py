#!/usr/bin/env python3
"""Runs the examples of one Markdown document:
python3 run_docs.py [--sanitized] <tarnel-binary> <tarnel-check-binary> <document.md>

Fenced code blocks are read by their info string (the words after the opening ```):

    ```tarnel           an example: run as a script; standard output must equal the
                        `output` block that follows it (empty without one), standard error
                        the `stderr` block (empty without one), and the exit status is 0
    ```tarnel exit=N    ... ending with exit status N
    ```tarnel skip      shown but not run (windows, servers); still checked
    ```tarnel pitfall   a mistake shown on purpose: run, but not given to tarnel-check
    ```input            standard input for the example before it
    ```output           expected standard output of the example before it
    ```stderr           expected standard error of the example before it
    ```LANG file=NAME   not run: saved as NAME beside every later example of the document
                        (modules, templates); a `tarnel` one is also checked
    ```session          a shell session: lines after ">>> " or "... " are typed, the other
                        lines are what the shell prints (piped, after its welcome lines)
    ```console          lines after "$ " are commands, run by one bash with tarnel and
                        tarnel-check on PATH; the other lines are their standard output and
                        error together (what a command starts with `&` is stopped at the end)
    ... unsanitized     (on an example or console block) not run with --sanitized: a memory
                        limit leaves no room for the sanitizers' shadow memory

Only blank lines may separate an example from its input, output and stderr blocks, which
follow in that order. Any other block (```sh, ```json, ...) is for reading only. Every
example runs in a fresh folder holding the document's files, within 10 seconds, with windows
opened off screen (SDL's dummy video driver); every checked example must give no tarnel-check
finding.
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

TIMEOUT = 10
FENCE = re.compile(r"^(`{3,})\s*(\S*)(.*)$")
WELCOME = "Welcome to Tarnel Interactive REPL!\nType 'exit' to quit.\n\n"
PROMPTS = (">>> ", "... ")


class Block:
    def __init__(self, line, language, words, text):
        self.line = line
        self.language = language
        self.words = words
        self.text = text
        self.blank_before = True  # only blank lines since the previous block

    def option(self, name):
        for word in self.words:
            if word.startswith(name + "="):
                return word[len(name) + 1:]
        return None


def read_blocks(path):
    blocks = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    i = 0
    prose_since_block = False
    while i < len(lines):
        match = FENCE.match(lines[i])
        if not match:
            if lines[i].strip():
                prose_since_block = True
            i += 1
            continue
        fence, language, rest = match.groups()
        start = i + 1
        i += 1
        while i < len(lines) and not lines[i].startswith(fence):
            i += 1
        block = Block(start, language, rest.split(), "\n".join(lines[start:i]) + "\n")
        block.blank_before = not prose_since_block
        blocks.append(block)
        prose_since_block = False
        i += 1
    return blocks


class Runner:
    def __init__(self, tarnel, checker, document, sanitized):
        self.sanitized = sanitized
        self.tarnel = tarnel
        self.checker = checker
        self.document = document
        self.files = {}
        self.failures = []
        self.count = 0

    def fail(self, block, message):
        self.failures.append(f"{self.document}:{block.line}: {message}")

    def folder(self):
        folder = tempfile.mkdtemp(prefix="tarnel-doc-")
        for name, text in self.files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                f.write(text)
        return folder

    def env(self, folder):
        env = dict(os.environ)
        env["PATH"] = os.path.dirname(self.tarnel) + os.pathsep + os.path.dirname(
            self.checker) + os.pathsep + env.get("PATH", "")
        env["XDG_STATE_HOME"] = folder
        env["SDL_VIDEODRIVER"] = "dummy"  # windows open, off screen
        return env

    def run(self, command, folder, stdin, block):
        try:
            done = subprocess.run(command, cwd=folder, input=stdin.encode("utf-8"),
                                  env=self.env(folder), capture_output=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            self.fail(block, f"no exit within {TIMEOUT} s")
            return None
        return (done.returncode, done.stdout.decode("utf-8", "surrogateescape"),
                done.stderr.decode("utf-8", "surrogateescape"))

    def check(self, block, name, folder):
        done = subprocess.run([self.checker, name], cwd=folder, capture_output=True,
                              timeout=TIMEOUT)
        if done.returncode != 0:
            findings = (done.stdout + done.stderr).decode("utf-8", "replace")
            self.fail(block, "tarnel-check finds (mark the example `pitfall` if on purpose):\n"
                      + findings)

    def example(self, block, following):
        self.count += 1
        expected = {"input": "", "output": "", "stderr": ""}
        for extra in following:
            expected[extra.language] = extra.text
        folder = self.folder()
        try:
            name = "example.tn"
            with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                f.write(block.text)
            if "pitfall" not in block.words:
                self.check(block, name, folder)
            if "skip" in block.words or (self.sanitized and "unsanitized" in block.words):
                return
            result = self.run([self.tarnel, name], folder, expected["input"], block)
            if result is None:
                return
            status, out, err = result
            want_status = int(block.option("exit") or 0)
            if out != expected["output"]:
                self.fail(block, f"standard output differs:\n--- expected\n{expected['output']}"
                          f"--- actual\n{out}")
            if err != expected["stderr"]:
                self.fail(block, f"standard error differs:\n--- expected\n{expected['stderr']}"
                          f"--- actual\n{err}")
            if status != want_status:
                self.fail(block, f"exit status {status}, expected {want_status}")
        finally:
            shutil.rmtree(folder)

    def session(self, block):
        self.count += 1
        typed, expected = [], WELCOME
        for line in block.text.rstrip("\n").split("\n"):
            if line[:4] in PROMPTS or line in (">>>", "..."):
                typed.append(line[4:])
                expected += line[:4].ljust(4)
            else:
                expected += line + "\n"
        if not typed or typed[-1].strip() not in ("exit", "quit"):
            expected += ">>> "  # the prompt at which the input ended
        folder = self.folder()
        try:
            result = self.run([self.tarnel], folder, "".join(t + "\n" for t in typed), block)
            if result and (result[1] != expected or result[2]):
                self.fail(block, f"shell session differs:\n--- expected\n{expected}\n"
                          f"--- actual\n{result[1]}\n--- stderr\n{result[2]}")
        finally:
            shutil.rmtree(folder)

    def console(self, block):
        """Runs the block's commands in one bash, so `&` and `cd` carry over; whatever is
        still running when the last command is done is stopped."""
        if self.sanitized and "unsanitized" in block.words:
            return
        self.count += 1
        commands, expected = [], []
        for line in block.text.rstrip("\n").split("\n"):
            if line.startswith("$ "):
                commands.append(line[2:])
                expected.append("")
            elif commands:
                expected[-1] += line + "\n"
        folder = self.folder()
        try:
            script = "".join(f"printf '\\0'\n{command}\n" for command in commands)
            with open(os.path.join(folder, ".output"), "w+b") as output:
                process = subprocess.Popen(["bash", "-c", script], cwd=folder, env=self.env(folder),
                                           stdin=subprocess.DEVNULL, stdout=output,
                                           stderr=subprocess.STDOUT, start_new_session=True)
                try:
                    process.wait(timeout=TIMEOUT)
                except subprocess.TimeoutExpired:
                    self.fail(block, f"no exit within {TIMEOUT} s")
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
                output.seek(0)
                printed = output.read().decode("utf-8", "surrogateescape").split("\0")[1:]
            for command, want, got in zip(commands, expected, printed):
                if got != want:
                    self.fail(block, f"`{command}` prints differently:\n--- expected\n{want}"
                              f"--- actual\n{got}")
        finally:
            shutil.rmtree(folder)

    def document_blocks(self):
        blocks = read_blocks(self.document)
        i = 0
        while i < len(blocks):
            block = blocks[i]
            i += 1
            name = block.option("file")
            if name:
                self.files[name] = block.text
                if block.language == "tarnel" and "pitfall" not in block.words:
                    folder = self.folder()
                    try:
                        self.check(block, name, folder)
                    finally:
                        shutil.rmtree(folder)
            elif block.language == "tarnel":
                following = []
                order = ["input", "output", "stderr"]
                while i < len(blocks) and blocks[i].blank_before and blocks[i].language in order:
                    order = order[order.index(blocks[i].language) + 1:]
                    following.append(blocks[i])
                    i += 1
                self.example(block, following)
            elif block.language == "session":
                self.session(block)
            elif block.language == "console":
                self.console(block)
            elif block.language in ("input", "output", "stderr"):
                self.fail(block, f"`{block.language}` block without an example right before it")


def main():
    arguments = sys.argv[1:]
    sanitized = arguments[:1] == ["--sanitized"]
    if sanitized:
        arguments = arguments[1:]
    if len(arguments) != 3:
        sys.exit("usage: run_docs.py [--sanitized] <tarnel> <tarnel-check> <document.md>")
    tarnel, checker, document = (os.path.abspath(a) for a in arguments)
    runner = Runner(tarnel, checker, document, sanitized)
    runner.document_blocks()
    if runner.failures:
        print("\n\n".join(runner.failures))
        print(f"FAIL: {len(runner.failures)} of the examples in {document} drifted")
        return 1
    print(f"{runner.count} examples in {os.path.basename(document)} run as shown")
    return 0


if __name__ == "__main__":
    sys.exit(main())
