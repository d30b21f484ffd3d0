"""Zip archives of stored entries as archivers lay them out, and the hostile
shapes the update's archive check must refuse: a harmless directory with a
hostile one behind Zip64 records, local headers that name another file,
device names, streams, huge declared sizes. Used by run_with_servers.py and
to make the fuzz corpus (python3 zips.py CORPUS_FOLDER)."""
import struct
import sys


def build(entries, zip64_directory=None):
    """entries: (name, data) or dicts with name, data and optionally
    local_name and declared (the uncompressed size both headers give)."""
    entries = [e if isinstance(e, dict) else {"name": e[0], "data": e[1]} for e in entries]
    out = bytearray()

    def local(items):
        offsets = []
        for e in items:
            offsets.append(len(out))
            name = e.get("local_name", e["name"]).encode()
            data = e["data"]
            out.extend(struct.pack("<IHHHIIIIHH", 0x04034b50, 20, 0x0800, 0, 0, 0, len(data),
                                   e.get("declared", len(data)), len(name), 0))
            out.extend(name + data)
        return offsets

    def directory(items, offsets):
        start = len(out)
        for e, offset in zip(items, offsets):
            name = e["name"].encode()
            data = e["data"]
            out.extend(struct.pack("<IHHHHIIIIHHHHHII", 0x02014b50, 20, 20, 0x0800, 0, 0, 0, len(data),
                                   e.get("declared", len(data)), len(name), 0, 0, 0, 0, 0, offset))
            out.extend(name)
        return start, len(out) - start

    offsets = local(entries)
    hidden = [e if isinstance(e, dict) else {"name": e[0], "data": e[1]} for e in (zip64_directory or [])]
    hidden_offsets = local(hidden)
    start, size = directory(entries, offsets)
    if zip64_directory is not None:
        hidden_start, hidden_size = directory(hidden, hidden_offsets)
        record = len(out)
        out.extend(struct.pack("<IQHHIIQQQQ", 0x06064b50, 44, 45, 45, 0, 0, len(hidden), len(hidden), hidden_size,
                               hidden_start))
        out.extend(struct.pack("<IIQI", 0x07064b50, 0, record, 1))
    out.extend(struct.pack("<IHHHHIIH", 0x06054b50, 0, 0, len(entries), len(entries), size, start, 0))
    return bytes(out)


PROGRAM = [("Vandrel.exe", b"the new program"), ("Language/", b""), ("Language/English.ini", b"[Vandrel]")]

# What a hijacked mirror might serve as the portable package, by folder name.
HOSTILE = {
    "zip64": lambda: build(PROGRAM, zip64_directory=[("..\\evil.exe", b"evil")]),
    "stream": lambda: build(PROGRAM + [("Vandrel.exe:hidden", b"x")]),
    "device": lambda: build(PROGRAM + [("NUL.txt", b"x")]),
    "localname": lambda: build(PROGRAM + [{"name": "readme.txt", "local_name": "..\\evil.dll", "data": b"x"}]),
    "huge": lambda: build(PROGRAM + [{"name": "huge.bin", "data": b"x", "declared": 600 << 20}]),
}

if __name__ == "__main__":
    for name, make in HOSTILE.items():
        with open(f"{sys.argv[1]}/{name}.zip", "wb") as f:
            f.write(make())
