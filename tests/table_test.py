#!/usr/bin/env python3
"""vorlane --csv read back with Python's csv module, an independent reader:
a header row in the report's words, then one row per coil whose every cell
is the figure that the report of the same input prints on its line, and
that the reference model (tests/data/mandrel_printed.txt) expects.
Refusals as in batch: the same lines on standard error, status 3, no row.

    table_test.py VORLANE mandrel_printed.txt
"""
import csv
import io
import re
import subprocess
import sys

vorlane, printed = sys.argv[1], sys.argv[2]
rows = [line.split() for line in open(printed) if not line.startswith("#")]
# The model's typed inputs, a refused token and a quit-free end.
typed = "".join("%s %s\n" % (r[0], r[1]) for r in rows) + "12,5 7\n1e999 5\n"
labels = ["DD coil height", "Window width", "Offset width", "L1", "L2", "L3", "L4",
          "Total length of all sides", "Spool mandrel diameter"]
problems = []
# Seconds for each run: only a hang comes near it.  On two cores at a load
# of 24 the whole test, both runs under the sanitizers, took 4.4 s at most.
LIMIT = 40


def run(*arguments):
    try:
        done = subprocess.run([vorlane, *arguments], input=typed.encode(), capture_output=True, timeout=LIMIT)
    except subprocess.TimeoutExpired:
        sys.exit("vorlane %s did not end within %d s, its input the model's pairs" % (" ".join(arguments), LIMIT))
    return done.returncode, done.stdout, done.stderr


status, table, table_errors = run("--csv")
report_status, report, report_errors = run()
if status != 3 or report_status != 3:
    problems.append("statuses %d and %d, not 3 (a token was refused)" % (status, report_status))
if table_errors != report_errors:
    problems.append("standard error differs from batch's:\n%s\n%s" % (table_errors, report_errors))
if not table.endswith(b"\r\n") or table.count(b"\n") != table.count(b"\r\n"):
    problems.append("rows do not all end in CR LF")

# The report's figures, line by line, in the order of the table's columns.
figures = {label: [] for label in labels}
for line in report.decode().splitlines():
    shown = re.fullmatch(r"(.+?) +=  ?(-?[0-9]+\.[0-9]{6}|-?inf|nan) ", line)
    if shown and shown.group(1) in figures:
        figures[shown.group(1)].append(shown.group(2))
read = list(csv.reader(io.StringIO(table.decode(), newline="")))
if read[0] != labels:
    problems.append("header %r" % read[0])
cells = read[1:]
expected_rows = len(rows) + 1  # the last pair: 1e999 and 5
if len(cells) != expected_rows:
    problems.append("%d rows for %d pairs" % (len(cells), expected_rows))
for i, cell_row in enumerate(cells):
    from_report = [figures[label][i] for label in labels]
    if cell_row != from_report:
        problems.append("row %d %r, the report says %r" % (i + 1, cell_row, from_report))
    if i < len(rows):
        r = rows[i]
        from_model = [r[2], r[3], r[4], r[5], r[6], r[7], r[8], r[9], r[10]]
        if cell_row != from_model:
            problems.append("row %d %r, the model says %r" % (i + 1, cell_row, from_model))
    if len(problems) > 5:
        break
if problems:
    print("\n".join(problems))
    sys.exit(1)
print("%d rows read back with the csv module, every cell as the report and the model print it" % len(cells))
