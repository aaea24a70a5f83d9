#!/usr/bin/env python3
"""The shell at a terminal: python3 shell_terminal.py <tarnel-binary>

Drives the shell in a pseudo-terminal as a user would type: UTF-8 text, Ctrl-C at the prompt
and during a run, Up to recall a multi-line input, the history file read by a second shell,
and Tab completion. Every wait has a time limit, so a hanging shell fails the test instead of
stopping it.
"""
import os
import pty
import re
import select
import signal
import socket
import sys
import tempfile
import termios
import time
import unittest

BINARY = None
WAIT = 10  # seconds for one expected piece of output

UP = "\x1b[A"
CTRL_C = "\x03"
CTRL_D = "\x04"


class Terminal:
    """One shell in a pseudo-terminal, with HOME and XDG_STATE_HOME in `home`."""

    def __init__(self, home):
        self.output = ""
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.environ.pop("LC_ALL", None)
            os.environ.pop("LC_CTYPE", None)
            os.environ.update(LANG="C.UTF-8", TERM="xterm", HOME=home,
                              XDG_STATE_HOME=os.path.join(home, "state"))
            os.execv(BINARY, [BINARY])
        self.expect(">>> ")

    def keys(self, text):
        """Types at the prompt, once the line editor reads (the terminal is in raw mode): keys
        typed ahead would be echoed and, before a Ctrl-C, thrown away by the terminal."""
        deadline = time.monotonic() + WAIT
        while termios.tcgetattr(self.fd)[3] & termios.ICANON:
            if time.monotonic() > deadline:
                raise AssertionError(f"the line editor does not read; output {self.output!r}")
            time.sleep(0.01)
        os.write(self.fd, text.encode())

    def line(self, text):
        self.keys(text + "\r")

    def interrupt(self):
        """Ctrl-C while an input runs."""
        os.write(self.fd, CTRL_C.encode())

    def expect(self, pattern):
        """Waits until the output since the last match contains `pattern` (a regex)."""
        deadline = time.monotonic() + WAIT
        while True:
            found = re.search(pattern, self.output)
            if found:
                self.output = self.output[found.end():]
                return found
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise AssertionError(f"no {pattern!r} in {self.output!r}")
            ready, _, _ = select.select([self.fd], [], [], remaining)
            if ready:
                try:
                    self.output += os.read(self.fd, 4096).decode(errors="replace")
                except OSError:  # the shell has ended
                    raise AssertionError(f"shell ended; no {pattern!r} in {self.output!r}")

    def close(self):
        """Ctrl-D at the prompt; returns the exit status. The shell is gone afterwards."""
        self.keys(CTRL_D)  # once the editor reads, like any key
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.pid = 0
                os.close(self.fd)
                return os.waitstatus_to_exitcode(status)
            if select.select([self.fd], [], [], 0.05)[0]:
                try:
                    os.read(self.fd, 4096)  # keep the terminal from filling up
                except OSError:
                    time.sleep(0.05)
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        self.pid = 0
        os.close(self.fd)
        raise AssertionError("the shell did not end at Ctrl-D")


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class ShellAtTerminal(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.TemporaryDirectory()
        self.shell = Terminal(self.home.name)

    def tearDown(self):
        try:
            if self.shell.pid:
                self.assertEqual(self.shell.close(), 0)  # also: nothing leaked
        finally:
            self.home.cleanup()

    def test_typed_utf8_reaches_the_interpreter(self):
        self.shell.line('let s = "héllo wörld"')
        self.shell.line("print(s, len(s))")
        self.shell.expect("héllo wörld\r\n13\r\n>>> ")  # every byte arrived

    def test_ctrl_c_drops_the_unfinished_input_and_interrupts_runs_keeping_state(self):
        self.shell.line("let kept = 7")
        self.shell.line("def f(a) {")
        self.shell.expect(r"\.\.\. ")
        self.shell.keys(CTRL_C)
        self.shell.expect("\r\n>>> ")  # both depths back to 0
        self.shell.line("while true {}")
        self.shell.expect(r"while true \{\}\r\n")
        self.shell.interrupt()
        self.shell.expect("\r\nInterrupted\r\n>>> ")
        self.shell.line('let answer = input("name? ")')
        self.shell.expect(r"\)\r\nname\? ")  # the prompt, after the echoed line
        self.shell.interrupt()
        self.shell.expect("Interrupted\r\n>>> ")
        port = free_port()
        for _ in range(2):  # the listener is closed, so the port can be served again
            self.shell.line(f"http.serve({port})")
            self.shell.expect("Server listening")
            self.shell.interrupt()
            self.shell.expect("Interrupted\r\n>>> ")
        self.shell.line("print(kept, typeof(answer))")
        self.shell.expect("7\r\nnull\r\n>>> ")

    def test_history_recalls_whole_inputs_also_in_the_next_shell(self):
        self.shell.line("for i in 1..3 {")
        self.shell.line("print(i * 10)")
        self.shell.line("}")
        self.shell.expect("10\r\n20\r\n>>> ")
        self.shell.keys(UP + "\r")
        self.shell.expect("10\r\n20\r\n>>> ")
        self.shell.line("print(5)")
        self.shell.expect("5\r\n>>> ")  # the depths stayed at 0
        self.assertEqual(self.shell.close(), 0)

        history = os.path.join(self.home.name, "state", "tarnel", "history")
        with open(history, encoding="utf-8") as file:
            self.assertEqual(file.read(), "for i in 1..3 {\\nprint(i * 10)\\n}\nprint(5)\n")
        self.shell = Terminal(self.home.name)
        self.shell.keys(UP + UP + "\r")
        self.shell.expect("10\r\n20\r\n>>> ")

    def test_tab_completes_builtins_and_defined_names(self):
        self.shell.line("let counter_value = 41")
        self.shell.keys("pri\t")
        self.shell.keys("(counter_v\t")
        self.shell.line(" + 1)")
        self.shell.expect("42\r\n>>> ")


if __name__ == "__main__":
    BINARY = os.path.abspath(sys.argv.pop(1))
    unittest.main()
