#!/usr/bin/env python3
"""Records root (uid and gid 0, named root) as the owner of every member
of a .tar.gz or a .zip that CPack made, as the Debian package has it.

CPack's archive generators take the owner from the files they have
staged, that is from whoever builds, and the CPack of CMake 3.25 has no
setting for it: without this, a package built by a user and the same
package built by root differ.  Nothing else changes: the names, their
order, times and permissions stay as CPack wrote them; a zip is mended
in place, its compressed data untouched, and a .tar.gz compressed again
with no name and no time in the gzip header, as gzip -n does.

    archive_owner.py ARCHIVE.tar.gz|ARCHIVE.zip ...
"""
import gzip
import io
import struct
import sys
import tarfile


def tar_gz(path):
    with tarfile.open(path, "r:gz") as old:
        members = [(m, old.extractfile(m).read() if m.isreg() else None) for m in old.getmembers()]
    plain = io.BytesIO()
    with tarfile.open(fileobj=plain, mode="w", format=tarfile.PAX_FORMAT) as new:
        for member, data in members:
            member.uid = member.gid = 0
            member.uname = member.gname = "root"
            # An extended header would say the owner again, and win.
            for key in ("uid", "gid", "uname", "gname"):
                member.pax_headers.pop(key, None)
            new.addfile(member, io.BytesIO(data) if data is not None else None)
    with open(path, "wb") as out:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=out, mtime=0) as packed:
            packed.write(plain.getvalue())


def zero_owner(data, at, length):
    """Zeroes the uid and gid of Info-ZIP's Unix extra field (0x7875: a
    version byte, then the uid and the gid, each after its size) among the
    extra fields at data[at:at + length]."""
    end = at + length
    while at + 4 <= end:
        kind, size = struct.unpack_from("<HH", data, at)
        body = at + 4
        if kind == 0x7875 and size >= 3:
            uid_size = data[body + 1]
            data[body + 2:body + 2 + uid_size] = bytes(uid_size)
            gid_at = body + 2 + uid_size
            gid_size = data[gid_at]
            data[gid_at + 1:gid_at + 1 + gid_size] = bytes(gid_size)
        at = body + size


def zip_file(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    # The owner stands in each entry of the central directory and again in
    # its local header.
    end = data.rfind(b"PK\x05\x06")
    if end < 0:
        sys.exit("%s: not a zip file" % path)
    count, _, at = struct.unpack_from("<HII", data, end + 10)
    for _ in range(count):
        if data[at:at + 4] != b"PK\x01\x02":
            sys.exit("%s: the central directory is not where the zip says" % path)
        name, extra, comment = struct.unpack_from("<HHH", data, at + 28)
        local = struct.unpack_from("<I", data, at + 42)[0]
        zero_owner(data, at + 46 + name, extra)
        if data[local:local + 4] != b"PK\x03\x04":
            sys.exit("%s: no local header where the central directory says" % path)
        local_name, local_extra = struct.unpack_from("<HH", data, local + 26)
        zero_owner(data, local + 30 + local_name, local_extra)
        at += 46 + name + extra + comment
    with open(path, "wb") as f:
        f.write(data)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    for path in sys.argv[1:]:
        if path.endswith(".tar.gz"):
            tar_gz(path)
        elif path.endswith(".zip"):
            zip_file(path)
        else:
            sys.exit("%s: neither a .tar.gz nor a .zip" % path)


if __name__ == "__main__":
    main()
