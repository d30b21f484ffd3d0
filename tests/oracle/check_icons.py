"""vandrel-cli's icon listing and extraction against two independent readers:
python3-pefile and icoutils' wrestool. Same order, byte-identical .ico files,
and no crash or hang on truncated or corrupted files."""
import os
import random
import shutil
import struct
import subprocess
import tempfile

import pefile

from common import Checker, make_fixtures, parse_args, run

WINE_DLL_DIRS = ["/usr/lib/i386-linux-gnu/wine/i386-windows", "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"]
WINE_FILES = ["shell32.dll", "user32.dll", "comctl32.dll", "explorer.exe", "notepad.exe", "winecfg.exe", "kernel32.dll"]
RT_ICON, RT_GROUP_ICON = 3, 14


def pefile_groups(path):
    """[(list text, group bytes, {icon id: bytes})] in directory order, first language."""
    pe = pefile.PE(path, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    if not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        return [], {}, {}
    by_type = {e.id: e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries if e.name is None}

    def first_language_data(entry):
        d = entry.directory.entries[0].data.struct
        return pe.get_data(d.OffsetToData, d.Size)

    icons = {}
    icon_langs = {}
    if RT_ICON in by_type:
        for e in by_type[RT_ICON].directory.entries:
            icons[e.id] = first_language_data(e)
            icon_langs[e.id] = e.directory.entries[0].id
    groups = []
    if RT_GROUP_ICON in by_type:
        for e in by_type[RT_GROUP_ICON].directory.entries:
            text = str(e.name) if e.name is not None else f"ID:{e.id}"
            groups.append((text, first_language_data(e), e))
    return groups, icons, icon_langs


def assemble(group, image_of):
    """The .ico file of a group directory, from the images that image_of gives."""
    count = struct.unpack_from("<H", group, 4)[0]
    out = bytearray(struct.pack("<HHH", 0, 1, count))
    offset = 6 + 16 * count
    images = b""
    for i in range(count):
        w, h, c, r, planes, bits, size, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        out += struct.pack("<BBBBHHII", w, h, c, r, planes, bits, size, offset)
        offset += size
        images += image_of(icon_id) or b""
    return bytes(out + images)


def wrestool_names(path):
    r = run(["wrestool", "-l", "-t", str(RT_GROUP_ICON), path])
    names = []
    for line in r.stdout.decode(errors="replace").splitlines():
        name = line.split("--name=")[1].split(" --language")[0].strip("'")
        text = f"ID:{name}" if name.isdigit() else name
        if text not in names:
            names.append(text)
    return names


def wrestool_raw(path, work):
    """A function (type, name, language) -> the bytes wrestool extracted, or None.
    wrestool names its files FILE_TYPE_NAME[_LANGUAGE][.ico]."""
    base = os.path.basename(path)
    for t in (RT_ICON, RT_GROUP_ICON):
        d = os.path.join(work, str(t))
        os.makedirs(d)
        run(["wrestool", "-x", "--raw", "-t", str(t), "-o", d, path])

    def lookup(t, name, lang):
        d = os.path.join(work, str(t))
        stems = (f"{base}_{t}_{name}_{lang}", f"{base}_{t}_{name}")
        for candidate in [stem + ext for stem in stems for ext in (".ico", "")]:
            f = os.path.join(d, candidate)
            if os.path.exists(f):
                with open(f, "rb") as fh:
                    return fh.read()
        return None

    return lookup


def check_file(chk, cli, path, max_extracts):
    label = os.path.basename(os.path.dirname(path)) + "/" + os.path.basename(path)
    groups, icons, icon_langs = pefile_groups(path)
    expected_names = [g[0] for g in groups]

    r = run(cli + ["icons", path])
    chk.expect(r.returncode == 0, f"{label}: icons exit {r.returncode}: {r.stderr!r}")
    listed = [line.split("\t", 1)[1] for line in r.stdout.decode("utf-8").splitlines()]
    listed_idx = [int(line.split("\t", 1)[0]) for line in r.stdout.decode("utf-8").splitlines()]
    chk.expect(listed == expected_names, f"{label}: order differs from pefile: {listed[:5]} vs {expected_names[:5]}")
    chk.expect(listed_idx == list(range(len(listed))), f"{label}: indices are not 0..n-1")
    chk.expect(wrestool_names(path) == expected_names, f"{label}: wrestool lists another order")

    work = tempfile.mkdtemp(prefix="vandrel-oracle-")
    try:
        raw = wrestool_raw(path, work)
        indices = list(range(len(groups)))
        if len(indices) > max_extracts:
            step = len(indices) / max_extracts
            indices = sorted({int(i * step) for i in range(max_extracts)} | {len(groups) - 1})
        for index in indices:
            text, group, entry = groups[index]
            lang = entry.directory.entries[0].id
            wname = text[3:] if text.startswith("ID:") else text
            from_pefile = assemble(group, icons.get)
            wgroup = raw(RT_GROUP_ICON, wname, lang)
            chk.expect(wgroup == group, f"{label}: wrestool and pefile disagree on group {text}")

            def wrestool_icon(icon_id):
                langs = icon_langs.get(icon_id)
                return raw(RT_ICON, icon_id, langs) if langs is not None else None

            from_wrestool = assemble(wgroup or b"\0" * 6, wrestool_icon)
            chk.expect(from_wrestool == from_pefile, f"{label}: the two readers assemble group {text} differently")
            out = os.path.join(work, f"out{index}.ico")
            r = run(cli + ["extract", path, str(index), out])
            chk.expect(r.returncode == 0, f"{label}: extract {index} exit {r.returncode}: {r.stderr!r}")
            if os.path.exists(out):
                with open(out, "rb") as fh:
                    ours = fh.read()
                chk.expect(ours == from_pefile, f"{label}: .ico of index {index} ({text}) differs "
                                                f"({len(ours)} vs {len(from_pefile)} bytes)")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def check_damaged(chk, cli, path):
    """Truncated and corrupted copies: exit 0 or 1, never a crash or a hang."""
    with open(path, "rb") as fh:
        good = fh.read()
    work = tempfile.mkdtemp(prefix="vandrel-damaged-")
    rng = random.Random(20261210)
    try:
        variants = [good[:n] for n in (0, 1, 2, 63, 64, 0x84, 0x98, 0x178, 0x200, 0x210, 0x248, len(good) // 2, len(good) - 1)]
        for _ in range(24):
            b = bytearray(good)
            for _ in range(rng.randint(1, 12)):
                b[rng.randrange(0x80, min(len(b), 0x600))] = rng.randrange(256)
            variants.append(bytes(b))
        for i, data in enumerate(variants):
            f = os.path.join(work, f"damaged{i}.dll")
            with open(f, "wb") as fh:
                fh.write(data)
            for cmd in (["icons", f], ["extract", f, "0", os.path.join(work, "o.ico")], ["extract", f, "3", os.path.join(work, "o.ico")]):
                try:
                    r = run(cli + cmd, timeout=30)
                    chk.expect(r.returncode in (0, 1), f"damaged variant {i}: {cmd[0]} exit {r.returncode}")
                except subprocess.TimeoutExpired:
                    chk.expect(False, f"damaged variant {i}: {cmd[0]} hung")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def main():
    args = parse_args()
    chk = Checker()
    fixtures = make_fixtures(args)
    under_wine = any("wine" in part for part in args.cli)
    for f in fixtures:
        if not os.path.basename(f).startswith("ver_"):
            check_file(chk, args.cli, f, max_extracts=1000)
    wine_files = [os.path.join(d, n) for d in WINE_DLL_DIRS for n in WINE_FILES if os.path.exists(os.path.join(d, n))]
    chk.expect(len(wine_files) >= 4, f"too few of Wine's own files found: {wine_files}")
    for f in wine_files:
        check_file(chk, args.cli, f, max_extracts=12 if under_wine else 60)

    ico = os.path.join(args.fixtures_dir, "star.ico")
    with open(ico, "wb") as fh:
        fh.write(struct.pack("<HHH", 0, 1, 1) + b"\x10" * 16 + b"x" * 40)
    r = run(args.cli + ["icons", ico])
    chk.expect(r.returncode == 1, f"an .ico file as executable: exit {r.returncode}")
    r = run(args.cli + ["icons", os.path.join(args.fixtures_dir, "missing.dll")])
    chk.expect(r.returncode == 1 and b"missing.dll" in r.stderr, "a missing file: exit 1 with its name")

    # Names in any script reach the program intact, and so does its output.
    folder = os.path.join(args.fixtures_dir, "Папка с иконками")
    os.makedirs(folder, exist_ok=True)
    unicode_dll = os.path.join(folder, "значки ☺.dll")
    shutil.copyfile(os.path.join(args.fixtures_dir, "mixed32.dll"), unicode_dll)
    r = run(args.cli + ["icons", unicode_dll])
    chk.expect(r.returncode == 0 and r.stdout.decode("utf-8").splitlines()[:1] == ["0\tAPPICON"],
               f"a Unicode path: exit {r.returncode}, {r.stdout[:40]!r}")
    out = os.path.join(folder, "вывод ☺.ico")
    r = run(args.cli + ["extract", unicode_dll, "1", out])
    chk.expect(r.returncode == 0 and os.path.exists(out), f"extract to a Unicode path: exit {r.returncode}")
    r = run(args.cli + ["icons", os.path.join(folder, "нет такого.dll")])
    chk.expect(r.returncode == 1 and "нет такого.dll" in r.stderr.decode("utf-8", "replace"),
               "a missing Unicode path is named in UTF-8 on standard error")

    check_damaged(chk, args.cli, os.path.join(args.fixtures_dir, "mixed32.dll"))
    chk.finish("icon comparison")


if __name__ == "__main__":
    main()
