#!/usr/bin/env python3
"""The calculator at a terminal, as a person sees it.

Each scenario starts an interactive shell (bash, zsh or dash) on a
pseudo-terminal, runs the calculator in it, types, pastes (marked, as a
terminal in bracketed-paste mode does, where the program asked for it),
stops and continues it as a person does, and reads the screen through
pyte, a terminal emulator.  On every screen it checks that each question's
line shows the answer that its report used, and that nothing else stands
among the dialogue's lines; and that `stty -a` after every stop and at the
end is as before the start.  Every wait has a time limit, far above what a
busy machine needs, and names what it waited for.

    terminal_test.py PROGRAM GROUP [SHELL...]
"""
import os
import pty
import re
import select
import signal
import struct
import sys
import tempfile
import termios
import time
import fcntl

try:
    import pyte
except ImportError:
    print("skipped: pyte is not installed (Debian: python3-pyte)")
    sys.exit(77)

# Typed by its name alone, its folder first on the shell's PATH: what a
# shell writes of the command (dash: "[1] + Stopped  vorlane" on the
# pause's line) fits on a line however long the build's path.
FOLDER, PROGRAM = os.path.split(os.path.abspath(sys.argv[1]))
# Seconds for any one wait, and for a long paste's last report: on two
# cores at a load of 24, under the sanitizers too, the longest wait seen
# took 2 s, and a scenario with a long paste 20 s.
LIMIT = 60
PASTE_LIMIT = 300
HEIGHT = "Enter DD coil height : "
WIDTH = "Please enter Window width: "
PAUSE = "Press any key to continue . . ."
COLUMNS, ROWS = 100, 40
BRACKETED_PASTE = 2004 << 5  # how pyte keeps a private mode
SHELLS = {"bash": ["bash", "--norc", "--noprofile", "-i"], "zsh": ["zsh", "-f", "-i"], "dash": ["dash", "-i"]}

# The dialogue's own lines, as the screen shows them (trailing blanks gone).
FIXED = {"", "-" * 48, "Vorlane v1.0a", "Const Pi = 3.141593", PAUSE,
         "Total length of all sides = L1 + L2 + L3 + L4",
         "Spool mandrel diameter = Total length of all sides / Pi", "The rest of that line was skipped too."}
FIGURE = re.compile(r"(DD coil height|Window width|Offset width |L[1-4]|Total length of all sides|"
                    r"Spool mandrel diameter|Result:?)( =)? -?(\d+\.\d{6}|inf|nan)$")
REFUSAL = re.compile(r'Not a number: ".*" \(write digits, with a point for decimals, as in 12\.5\)$')
# What a shell writes around a stopped job.
SHELL_LINE = re.compile(r"^(\$( |$)|\[\d\]|zsh: |done\.\d+$)|" + re.escape(PROGRAM) + "$")


class Failed(Exception):
    pass


class Recorder(pyte.Screen):
    """A screen that keeps the lines that scroll off its top."""

    def __init__(self):
        super().__init__(COLUMNS, ROWS)
        self.gone = []

    def index(self):
        if self.cursor.y == self.lines - 1:
            self.gone.append(self.text(0))
        super().index()

    def text(self, y):
        line = self.buffer[y]
        return "".join(line[x].data for x in range(self.columns)).rstrip()


class Session:
    """An interactive shell on a pseudo-terminal, and its screen."""

    def __init__(self, shell):
        self.longest = 0  # the longest wait under LIMIT so far, to show the margin
        self.folder = tempfile.mkdtemp(prefix="vorlane-terminal-")
        env = {"PATH": FOLDER + ":" + os.environ.get("PATH", "/usr/bin:/bin"), "TERM": "xterm", "HOME": self.folder,
               "PS1": "$ ", "ENV": "/dev/null", "LC_ALL": "C"}
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.chdir(self.folder)
            os.execvpe(SHELLS[shell][0], SHELLS[shell], env)
        fcntl.ioctl(self.fd, termios.TIOCSWINSZ, struct.pack("HHHH", ROWS, COLUMNS, 0, 0))
        self.screen = Recorder()
        self.stream = pyte.ByteStream(self.screen)
        self.wait("the shell's first prompt", lambda: self.last() != "")
        self.command("PS1='$ '; PROMPT='$ '")
        self.command("stty -a > stty-before")

    def read(self, timeout):
        ready, _, _ = select.select([self.fd], [], [], timeout)
        if ready:
            try:
                data = os.read(self.fd, 65536)
            except OSError:
                data = b""
            if not data:
                raise Failed("the terminal closed")
            self.stream.feed(data)

    def lines(self):
        return self.screen.gone + [self.screen.text(y) for y in range(self.screen.cursor.y + 1)]

    def last(self):
        return self.screen.text(self.screen.cursor.y)

    def wait(self, what, done, limit=LIMIT):
        started = time.monotonic()
        deadline = started + limit
        while not done():
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failed(f"waited {limit} s for {what}; the screen ends:\n" + "\n".join(self.lines()[-25:]))
            self.read(min(left, 0.2))
        if limit == LIMIT:
            self.longest = max(self.longest, time.monotonic() - started)

    def settle(self, seconds=0.3):
        """Reads what comes for a while: for what must not happen."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.read(deadline - time.monotonic())

    def type(self, keys):
        """Writes the keys as the terminal can take them, reading the screen
        meanwhile: a long paste fills the terminal's queue both ways."""
        keys = keys.encode() if isinstance(keys, str) else keys
        started = time.monotonic()
        while keys:
            if time.monotonic() > started + LIMIT:
                raise Failed(f"waited {LIMIT} s for the terminal to take what was typed")
            readable, writable, _ = select.select([self.fd], [self.fd], [], 0.2)
            if writable:
                keys = keys[os.write(self.fd, keys[:1024]):]
            if readable:
                self.read(0)
        self.longest = max(self.longest, time.monotonic() - started)

    def paste(self, text, close=True):
        if not self.screen.mode & {BRACKETED_PASTE}:
            raise Failed("the program did not ask for pastes to be marked")
        self.type(b"\x1b[200~" + text.encode() + (b"\x1b[201~" if close else b""))

    def at_prompt(self):
        return self.last() == "$"

    def command(self, line):
        """Runs a shell command, and waits until it is done."""
        self.commands = getattr(self, "commands", 0) + 1
        done = f"done.{self.commands}"
        self.type(f"{line}; echo {done}\r")
        self.wait(f"the shell to run {line}", lambda: self.at_prompt() and any(
            seen.endswith(done) and not seen.endswith("echo " + done) for seen in self.lines()))

    def start(self, how="{}"):
        self.type(how.format(PROGRAM) + "\r")
        self.wait("the first question", lambda: self.last().startswith(HEIGHT.rstrip()))
        self.job = os.tcgetpgrp(self.fd)

    def question(self, which, count=1):
        """Waits until the question has been asked count times, and waits."""
        which = which.rstrip()
        self.wait(f"{which} asked {count} times",
                  lambda: sum(line.startswith(which) for line in self.lines()) >= count and
                  self.last().startswith(which))

    def paused(self, count=1):
        """Waits until the pause has come count times, and waits for a key."""
        # dash writes of a stop on the pause's line
        self.wait(f"the pause {count} times", lambda: sum(line.startswith(PAUSE) for line in self.lines()) >= count
                  and self.last() == PAUSE)

    def stop(self):
        self.type("\x1a")
        self.wait("the shell after Ctrl-Z", self.at_prompt)
        self.same_settings("after Ctrl-Z")

    def same_settings(self, when):
        self.command("stty -a > stty-now")
        with open(os.path.join(self.folder, "stty-before")) as a, open(os.path.join(self.folder, "stty-now")) as b:
            if a.read() != b.read():
                raise Failed(f"the terminal's settings {when} are not as before the start")

    def end(self):
        """Ends the input, and checks the terminal as the shell gets it back."""
        if self.fd < 0:
            return
        if not self.at_prompt():
            self.type("\x04")
            self.wait("the end of the program", self.at_prompt)
        self.same_settings("at the end")
        os.kill(self.pid, signal.SIGKILL)
        os.waitpid(self.pid, 0)
        os.close(self.fd)
        self.fd = -1

    def cpu_seconds(self):
        with open(f"/proc/{self.job}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def as_printed(answer):
    try:
        return "%f" % float(answer)
    except (TypeError, ValueError):
        return None


def check_screen(lines, lenient=False):
    """Each report's two sizes as shown after the last questions before it,
    and no line that does not belong to the dialogue; returns the pairs.
    lenient: the shell has written among the lines (a stop in a stream of
    reports), and what it split is passed over."""
    pairs, height, width = [], None, None
    started = False
    for line in lines:
        if line.startswith("-" * 48):
            started = True
        if not started or SHELL_LINE.search(line):
            continue
        if line.startswith(HEIGHT.rstrip()):
            height, width = line[len(HEIGHT):], None
        elif line.startswith(WIDTH.rstrip()):
            width = line[len(WIDTH):]
        elif FIGURE.match(line) and line.startswith(("DD coil height = ", "Window width = ")):
            answer = height if line.startswith("DD") else width
            if lenient and as_printed(answer) is None:
                answer = line.split()[-1]  # its question's line was split
            if as_printed(answer) != line.split()[-1]:
                raise Failed(f"the report says {line!r} after the answer {answer!r}")
            if line.startswith("DD"):
                pairs.append([answer])
            else:
                pairs[-1].append(answer)
                height = width = None  # the next report needs questions of its own
        elif line not in FIXED and not FIGURE.match(line) and not REFUSAL.match(line) and not lenient:
            raise Failed(f"a line that is no part of the dialogue: {line!r}")
    return pairs


def expect_pairs(session, pairs, lenient=False):
    got = check_screen(session.lines(), lenient)
    if got != pairs:
        raise Failed(f"answered {got}, not {pairs}")


# The scenarios, by group.  Each gets a fresh session.

def typed_one_by_one(s):
    s.start()
    s.type("100\r")
    s.question(WIDTH)
    s.type("20\r")
    s.paused()
    expect_pairs(s, [["100", "20"]])


def typed_on_one_line_and_left_over(s):
    s.start()
    s.type("100 20 3\r")
    s.question(WIDTH, 2)  # the 3 ends the pause: the next height, shown after its question
    s.type("4\r")
    s.paused(2)
    expect_pairs(s, [["100", "20"], ["3", "4"]])


def typed_ahead_during_the_report(s):
    s.start()
    s.type("100 20\r5 6\r4")  # one key typed ahead of the pause: an answer still
    s.question(HEIGHT, 3)
    s.type("2\x7f3 1\r")
    s.paused(3)
    expect_pairs(s, [["100", "20"], ["5", "6"], ["43", "1"]])


def edited_and_recalled(s):
    s.start()
    s.type("100 2\x7f25\x1b[D\x1b[D9\r")  # Backspace, then a 9 before the 25
    s.paused()
    s.type("k")
    s.question(HEIGHT, 2)
    s.type("abc def\x17\x177 8 9\x15")  # Ctrl-W twice, then Ctrl-U: nothing left
    s.type("1 1\r")
    s.paused(2)
    s.type("k")
    s.question(HEIGHT, 3)
    s.type("\x1b[A\x1b[A\x1b[B\r")  # Up, Up, Down: the line typed last
    s.paused(3)
    expect_pairs(s, [["100", "925"], ["1", "1"], ["1", "1"]])


def a_refusal_and_blank_lines(s):
    s.start()
    s.type("\r  \r12,5 7\r")
    s.wait("the refusal", lambda: any(REFUSAL.match(line) for line in s.lines()))
    s.type("100 20\r")
    s.paused()
    if s.lines().count(HEIGHT + "12,5 7") != 1:
        raise Failed("the refused line is not shown once after its question")
    expect_pairs(s, [["100", "20"]])


def a_table_with_a_refusal(s):
    # --csv asks nothing and leaves the terminal in its own line mode: what
    # is typed once the program has the terminal waits there for it.
    s.type(PROGRAM + " --csv 2> errors\r")
    s.wait("the program in the foreground", lambda: os.tcgetpgrp(s.fd) != s.pid)
    s.type("abc\r100 20\r\x04")
    s.wait("the end of the table", s.at_prompt)
    s.command("echo status $?")
    with open(os.path.join(s.folder, "errors")) as errors:
        told = errors.read()
    if "status 3" not in s.lines() or told != 'vorlane: line 1: not a number: "abc"\n':
        raise Failed(f"a refusal in the table is not told: {s.lines()[-3:]}, {told!r} on standard error")


def pasted_at_a_question(s):
    s.start()
    s.paste("130 30\n120 25\n\n7 8\r\n")
    s.paused(3)
    expect_pairs(s, [["130", "30"], ["120", "25"], ["7", "8"]])


def pasted_at_the_pause_without_a_last_line_end(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.paste("130 30\n120 25")
    s.wait("the pasted line without its line end after its question", lambda: s.last() == HEIGHT + "120 25")
    s.type("\x7f6\r")  # still editable
    s.paused(3)
    expect_pairs(s, [["1", "1"], ["130", "30"], ["120", "26"]])


def pasted_then_typed(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.paste("7 8\n9")
    s.question(HEIGHT, 3)
    s.type("5 4\r")  # typed after the 9 that stands there: 95
    s.paused(3)
    expect_pairs(s, [["1", "1"], ["7", "8"], ["95", "4"]])


def unmarked_paste_at_the_pause(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.type("30 10\r40 10\r")  # a terminal that marks nothing: keys in a burst
    s.paused(3)
    expect_pairs(s, [["1", "1"], ["30", "10"], ["40", "10"]])


def closing_marker_in_pieces_and_late(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.paste("30 10\n40 10\n", close=False)
    s.paused(3)
    s.type("\x1b[20")
    s.settle()
    s.type("1~")
    s.settle()
    if sum(line.startswith(PAUSE) for line in s.lines()) != 3 or s.last() != PAUSE:
        raise Failed("the closing marker ended the pause")
    s.type("k")
    s.question(HEIGHT, 4)
    if any("[201~" in line or "[20" in line for line in s.lines()):
        raise Failed("the closing marker shows")
    expect_pairs(s, [["1", "1"], ["30", "10"], ["40", "10"]])


def a_long_paste(s, lines=1000):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.paste("".join(f"{i} 5\n" for i in range(2, lines + 2)))
    s.wait("the long paste's last report", lambda: f"DD coil height = {lines + 1}.000000" in s.lines(), PASTE_LIMIT)
    s.paused(lines + 1)
    expect_pairs(s, [[str(i), "5" if i > 1 else "1"] for i in range(1, lines + 2)])


def the_pause_takes_one_key(s):
    s.start()
    pauses = 0
    # Whole keys: keys in pieces depend on time, which the unit tests of
    # pause_keys take apart.
    for key in [b"x", b"\x1b[A", b"\x1b", b"\r", b"\xc3\xa9", b"\x1b[15;5~", b"\x1bx"]:
        s.type("1 1\r")
        pauses += 1
        s.paused(pauses)
        s.type(key)
        s.question(HEIGHT, pauses + 1)
        if s.last() != HEIGHT.rstrip():
            raise Failed(f"the key {key!r} reached the next question")
    s.type("\x04")
    s.wait("the end", s.at_prompt)
    expect_pairs(s, [["1", "1"]] * pauses)


def ctrl_d_at_the_pause_and_a_paste_that_ends(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.type("\x04")
    s.wait("the end at the pause", s.at_prompt)
    s.same_settings("after Ctrl-D at the pause")
    s.start()
    s.paste("30 10\nq\n")
    s.wait("the end by a pasted quit", s.at_prompt)


def stopped_at_a_question_with_text(s):
    s.start()
    s.type("4")
    s.wait("the 4", lambda: s.last() == HEIGHT + "4")
    s.stop()
    s.type("fg\r")
    s.wait("the question back with its text", lambda: s.last() == HEIGHT + "4" and len(s.lines()) > 12)
    before = s.cpu_seconds()
    s.settle(1.5)
    if s.cpu_seconds() - before > 0.2:
        raise Failed("the wait after fg spins")
    s.type("\x7f5 6\r")
    s.paused()
    expect_pairs(s, [["5", "6"]])


def stopped_at_the_pause_then_bg_and_fg(s):
    s.start()
    s.type("1 1\r")
    s.paused()
    s.stop()
    s.command("bg")
    s.settle()
    s.same_settings("in the background")
    s.type("fg\r")
    s.wait("the pause back", lambda: s.last() == PAUSE)
    s.type("k")
    s.question(HEIGHT, 2)
    s.type("2 2\r")
    s.paused(3)
    expect_pairs(s, [["1", "1"], ["2", "2"]])


def stopped_during_a_long_paste(s, lines=4000):
    # The reports go to the screen through tee and whole to a file, whatever the shell writes on the screen at the
    # stop; a paste longer than the program reads ahead, so that the terminal holds its last part at Ctrl-Z.
    s.type(PROGRAM + " | tee report.txt\r")
    s.settle(0.5)

    def reported():
        with open(os.path.join(s.folder, "report.txt")) as report:
            text = report.read()
        return text, re.findall(r"^DD coil height = (\S+) *\n.*= (\S+) *$", text, re.M)

    s.type("1 1\r")
    s.wait("the first report", lambda: reported()[0].rstrip().endswith(PAUSE))
    s.paste("".join(f"{i} 5\n" for i in range(2, lines + 2)) + "\x1a", close=False)
    s.wait("the shell after Ctrl-Z", s.at_prompt)
    s.same_settings("after Ctrl-Z in a paste")
    s.type("fg\r")
    s.wait("the paste's last report", lambda: len(reported()[1]) > lines, PASTE_LIMIT)
    s.type(b"\x1b[201~")  # the paste's end, late
    s.settle()
    text, got = reported()
    if not text.rstrip().endswith(PAUSE):
        raise Failed("the pause after the paste did not wait")
    if got != [(as_printed(i), as_printed(5 if i > 1 else 1)) for i in range(1, lines + 2)]:
        raise Failed(f"the pasted lines are not answered once each, in order: {got}")


def continued_without_a_stop(s):
    s.start()
    s.type("12" + " " * 90 + "3")  # a line of two rows, the cursor on its second
    s.wait("the 12 and 3", lambda: s.last() == (HEIGHT + "12" + " " * 90 + "3")[COLUMNS:])
    os.kill(s.job, signal.SIGCONT)
    s.settle()
    if sum(line.startswith(HEIGHT) for line in s.lines()) != 1:
        raise Failed("SIGCONT showed the question again")
    s.type("4\r")
    s.paused()
    expect_pairs(s, [["12", "34"]])


def ended_by_signals(s):
    for how, sign, status in [("\x03", None, 130), ("\x1c", None, 131), (None, signal.SIGTERM, 143),
                              (None, signal.SIGHUP, 129)]:
        s.start()
        s.type("1 1\r")
        s.paused()
        if how:
            s.type(how)
        else:
            os.kill(s.job, sign)
        s.wait("the shell after the signal", s.at_prompt)
        s.command("echo status $?")
        if f"status {status}" not in s.lines():
            raise Failed(f"not ended by the signal: {s.lines()[-3:]}")
        s.same_settings(f"after the signal of status {status}")


def a_hangup_ignored_stays_ignored(s):
    s.start("trap '' HUP; {}")
    os.kill(s.job, signal.SIGHUP)
    s.type("1 1\r")
    s.paused()
    expect_pairs(s, [["1", "1"]])


def without_a_controlling_terminal(s):
    s.start("setsid -w {}")
    s.type("100 20\r")
    s.paused()
    expect_pairs(s, [["100", "20"]])


def output_through_tee(s):
    s.start("{} | tee report.txt")
    s.type("100 20\r")
    s.paused()
    expect_pairs(s, [["100", "20"]])  # typed where it waits: after its own question
    s.type("k")
    s.question(HEIGHT, 2)
    # A paste's answers are drawn as they are taken, while tee shows the
    # questions as fast as it can: where they stand depends on the two.
    s.paste("".join(f"{1000 + i} {7000 + i}\n" for i in range(100)))
    s.wait("the paste's last report", lambda: "DD coil height = 1099.000000" in s.lines())
    s.paused(1)
    s.end()
    with open(os.path.join(s.folder, "report.txt")) as report:
        text = report.read()
    heights = re.findall(r"DD coil height = (\d+)\.000000", text)
    if "\x1b" in text or "100 20" in text or "1000 7000" in text or \
            heights != ["100"] + [str(1000 + i) for i in range(100)]:
        raise Failed("the report through the pipe is not the dialogue's alone")


def output_to_a_file(s):
    s.type(PROGRAM + " > report.txt\r")  # the questions go to the file, the answers show
    s.settle(0.5)
    s.type("100 20\r")
    s.wait("the answers typed", lambda: s.lines()[-3:-1] == ["100", "20"])
    s.paste("".join(f"{1000 + i} {7000 + i}\n" for i in range(100)))
    s.wait("the answers pasted", lambda: s.lines()[-2:-1] == ["7099"])
    s.end()
    shown = s.lines()[s.lines().index("100"):]
    if shown[:2 + 2 * 100] != ["100", "20"] + [str(base + i) for i in range(100) for base in (1000, 7000)]:
        raise Failed("the answers are not shown once each, in order")
    with open(os.path.join(s.folder, "report.txt")) as report:
        text = report.read()
    if "\x1b" in text or "100 20" in text or text.count("DD coil height = ") != 101:
        raise Failed("the report in the file holds what is shown for the terminal")


def a_failed_write_at_the_pause(s):
    # The reader takes the header and the question, and goes.
    s.type("(trap '' PIPE; " + PROGRAM + " 2> errors; echo $? > status) | head -c 1 > /dev/null\r")
    s.settle(0.5)
    s.type("1 1\r")
    s.wait("the end", s.at_prompt)
    s.command("cat errors status")
    if "vorlane: write error: Broken pipe" not in s.lines() or "1" not in s.lines():
        raise Failed("the failed write went unreported: " + repr(s.lines()[-6:]))


GROUPS = {
    "typing": [typed_one_by_one, typed_on_one_line_and_left_over, typed_ahead_during_the_report,
               edited_and_recalled, a_refusal_and_blank_lines, a_table_with_a_refusal],
    "pasting": [pasted_at_a_question, pasted_at_the_pause_without_a_last_line_end, pasted_then_typed,
                unmarked_paste_at_the_pause, closing_marker_in_pieces_and_late, a_long_paste],
    "pause": [the_pause_takes_one_key, ctrl_d_at_the_pause_and_a_paste_that_ends],
    "jobs": [stopped_at_a_question_with_text, stopped_at_the_pause_then_bg_and_fg, stopped_during_a_long_paste,
             continued_without_a_stop],
    "signals": [ended_by_signals, a_hangup_ignored_stays_ignored, without_a_controlling_terminal,
                a_failed_write_at_the_pause],
    "elsewhere": [output_through_tee, output_to_a_file],
}


def main():
    group = GROUPS[sys.argv[2]]
    shells = sys.argv[3:] or ["bash"]
    for shell in shells:
        if not any(os.access(os.path.join(d, shell), os.X_OK) for d in os.environ["PATH"].split(":")):
            print(f"skipped: {shell} is not installed (Debian: {shell})")
            sys.exit(77)
    failures = 0
    for shell in shells:
        for scenario in group:
            started = time.monotonic()
            s = None
            try:
                s = Session(shell)
                scenario(s)
                s.end()
                print(f"ok      {shell:5} {scenario.__name__} ({time.monotonic() - started:.1f} s, "
                      f"longest wait {s.longest:.1f} s)", flush=True)
            except Failed as failure:
                failures += 1
                print(f"FAILED  {shell:5} {scenario.__name__}: {failure}", flush=True)
                if s is not None and s.fd >= 0:  # the shell not yet ended by end()
                    os.kill(s.pid, signal.SIGKILL)
                    os.waitpid(s.pid, 0)
    sys.exit(1 if failures else 0)


main()
