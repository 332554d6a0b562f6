#!/usr/bin/env python3
"""Checks a Windows zip as a Windows user meets it: one folder named after
the zip, holding vorlane.exe, README.txt and LICENSE.txt and nothing else,
the text files with Windows (CR LF) line ends throughout, README.txt's
title underlined to its length, the program a Windows executable of the
zip's word size whose Properties show the zip's version, with an
application manifest.  The executable is read with pefile (Debian's
python3-pefile), which knows nothing of how it was built.

    windows_zip_test.py vorlane-1.4.0-win64.zip [...]
"""
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

try:
    import pefile
except ImportError:
    sys.exit("windows_zip_test.py needs pefile: install python3-pefile (Debian, Ubuntu)")


def resource_problems(exe, version):
    """What is wrong with the version information and the manifest."""
    problems = []
    pe = pefile.PE(data=exe)
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    wanted = {"ProductName": "Vorlane", "FileVersion": version, "ProductVersion": version,
              "OriginalFilename": "vorlane.exe"}
    for key, value in wanted.items():
        if strings.get(key) != value:
            problems.append("version information %s is %r, not %r" % (key, strings.get(key), value))
    for key in ("FileDescription", "LegalCopyright", "CompanyName"):
        if not strings.get(key):
            problems.append("version information has no %s" % key)
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    numbers = [int(n) for n in version.split(".")]
    if fixed is None or (fixed.FileVersionMS, fixed.FileVersionLS) != (numbers[0] << 16 | numbers[1], numbers[2] << 16):
        problems.append("the fixed file version is not %s.0" % version)
    resources = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    manifests = [e for e in (resources.entries if resources else []) if e.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]]
    if not manifests:
        problems.append("no application manifest")
        return problems
    entry = manifests[0].directory.entries[0].directory.entries[0].data.struct
    manifest = ElementTree.fromstring(pe.get_data(entry.OffsetToData, entry.Size))
    levels = [e.get("level") for e in manifest.iter() if e.tag.endswith("requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        problems.append("the manifest's execution level is %s, not asInvoker" % levels)
    if len([e for e in manifest.iter() if e.tag.endswith("supportedOS")]) < 4:
        problems.append("the manifest names fewer than four supported Windows versions")
    return problems


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
        title, underline = readme.split("\r\n")[:2]
        if underline != "=" * len(title):
            problems.append("README.txt's title %r is underlined with %d characters" % (title, len(underline)))
        for words in ("vorlane", "Ctrl+Z", "Ctrl+C", "quit", "100", "Result: 85.464791", "--help"):
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
            problems += resource_problems(exe, re.search(r"-(\d+\.\d+\.\d+)-", name).group(1))
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
