#!/usr/bin/env python3
"""Checks a Windows zip as a Windows user meets it: one folder named after
the zip, holding vorlane.exe, README.txt and LICENSE.txt and nothing else,
the text files with Windows (CR LF) line ends throughout, the program a
Windows executable of the zip's word size.

    windows_zip_test.py vorlane-1.1.0-win64.zip [...]
"""
import re
import struct
import sys
import zipfile


def check(path):
    name = path.rsplit("/", 1)[-1]
    m = re.fullmatch(r"(vorlane-\d+\.\d+\.\d+-win(32|64))\.zip", name)
    if not m:
        return ["unexpected zip name %s" % name]
    folder, bits = m.group(1), m.group(2)
    problems = []
    with zipfile.ZipFile(path) as z:
        files = sorted(n for n in z.namelist() if not n.endswith("/"))
        wanted = sorted(folder + "/" + f for f in ("vorlane.exe", "README.txt", "LICENSE.txt"))
        if files != wanted:
            problems.append("holds %s, not %s" % (files, wanted))
            return problems
        for text in ("README.txt", "LICENSE.txt"):
            data = z.read(folder + "/" + text)
            if b"\n" not in data or data.count(b"\n") != data.count(b"\r\n") or b"\r\r" in data:
                problems.append("%s does not have CR LF line ends throughout" % text)
        readme = z.read(folder + "/README.txt").decode("ascii")
        for words in ("vorlane", "Ctrl+Z", "Ctrl+C", "quit", "100", "Result: 85.464791"):
            if words not in readme:
                problems.append("README.txt does not mention %r" % words)
        for words in ("cmake", "apt-get", "g++", "man vorlane"):
            if words in readme.lower():
                problems.append("README.txt has instructions for building or for Unix (%r)" % words)
        exe = z.read(folder + "/vorlane.exe")
        if exe[:2] != b"MZ":
            problems.append("vorlane.exe is no Windows program")
        else:
            pe = struct.unpack_from("<I", exe, 0x3C)[0]
            machine = struct.unpack_from("<H", exe, pe + 4)[0]
            if (machine == 0x8664) != (bits == "64") or machine not in (0x8664, 0x14C):
                problems.append("vorlane.exe is for machine %#x, not win%s" % (machine, bits))
    return problems


def main():
    failed = False
    for path in sys.argv[1:]:
        problems = check(path)
        for p in problems:
            print("%s: %s" % (path, p))
        if not problems:
            print("%s: as a Windows user expects" % path)
        failed = failed or bool(problems)
    return 1 if failed or len(sys.argv) < 2 else 0


if __name__ == "__main__":
    sys.exit(main())
