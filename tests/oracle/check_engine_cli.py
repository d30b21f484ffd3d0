"""vandrel-cli show/apply/remove (the Windows build, under Wine) on real folders."""
import os
import shutil
import subprocess
import tempfile

from common import Checker, make_fixtures, parse_args, run


def win(path):
    """The Windows form of a Unix path as Wine's Z: drive shows it."""
    return "Z:" + path.replace("/", "\\")


def main():
    args = parse_args()
    chk = Checker()
    fixtures = make_fixtures(args)
    dll = next(f for f in fixtures if f.endswith("mixed32.dll"))
    work = tempfile.mkdtemp(prefix="vandrel-engine-")
    trash = os.path.join(work, "xdg", "Trash", "files")
    env = dict(os.environ, XDG_DATA_HOME=os.path.join(work, "xdg"))

    def cli(*a):
        return subprocess.run(args.cli + list(a), capture_output=True, timeout=120, env=env)

    def read(path):
        with open(path, "rb") as fh:
            return fh.read()

    try:
        icons = os.path.join(work, "Icons")
        os.makedirs(icons)
        star, moon = os.path.join(icons, "star.ico"), os.path.join(icons, "moon.ico")
        for path, body in ((star, b"\0\0\1\0star"), (moon, b"\0\0\1\0moon")):
            with open(path, "wb") as fh:
                fh.write(body)

        # The example file, byte for byte.
        a = os.path.join(work, "A")
        os.makedirs(a)
        r = cli("apply", win(a), "--icon", win(star), "--tip", "Photos")
        chk.expect(r.returncode == 0, f"apply without copy: exit {r.returncode} {r.stderr!r}")
        want = ("[.ShellClassInfo]\r\nIconFile={s}\r\nIconIndex=0\r\nIconResource={s},0\r\nInfoTip=Photos\r\n"
                "ConfirmFileOp=0\r\n\r\n").format(s=win(star)).encode()
        chk.expect(read(os.path.join(a, "Desktop.ini")) == want, "Desktop.ini differs from the example")
        chk.expect(sorted(os.listdir(a)) == ["Desktop.ini"], f"files besides Desktop.ini: {os.listdir(a)}")
        r = cli("show", win(a))
        chk.expect(r.stdout.decode().splitlines() == [f"source={win(star)}", "index=0", "tip=Photos"],
                   f"show: {r.stdout!r}")

        # Copy an .ico, then another: the first copy goes to the trash.
        r = cli("apply", win(a), "--icon", win(star), "--copy", "--index", "12")
        chk.expect(r.returncode == 0 and read(os.path.join(a, "star.ico")) == read(star), "the .ico was not copied")
        # An .ico holds one icon: whatever index was asked for, 0 is written.
        chk.expect(b"IconIndex=0\r\nIconResource=star.ico,0\r\n" in read(os.path.join(a, "Desktop.ini")),
                   "keys of a copied .ico")
        # Wine keeps a file's DOS attributes in an extended attribute (and no
        # read-only on folders): Desktop.ini and the copy are hidden and system.
        for f in ("Desktop.ini", "star.ico"):
            try:
                dos = os.getxattr(os.path.join(a, f), "user.DOSATTRIB")
            except OSError:
                continue  # a file system without extended attributes keeps none
            chk.expect(int(dos, 16) & 0x6 == 0x6, f"{f} is not hidden and system: {dos!r}")
        r = cli("apply", win(a), "--icon", win(moon), "--copy")
        chk.expect(not os.path.exists(os.path.join(a, "star.ico")), "the replaced copy is still there")
        chk.expect(os.path.exists(os.path.join(trash, "star.ico")), "the replaced copy is not in the trash")

        # An icon of an executable: extracted, copied, named after the executable.
        r = cli("apply", win(a), "--icon", win(dll), "--index", "2", "--copy")
        chk.expect(r.returncode == 0, f"apply from a DLL: exit {r.returncode} {r.stderr!r}")
        ref = os.path.join(work, "ref.ico")
        cli("extract", win(dll), "2", win(ref))
        chk.expect(os.path.exists(ref) and read(os.path.join(a, "mixed32.ico")) == read(ref),
                   "the extracted copy differs from vandrel-cli extract")
        ini = read(os.path.join(a, "Desktop.ini"))
        chk.expect(b"IconFile=mixed32.ico\r\nIconIndex=2\r\nIconResource=mixed32.ico\r\n" in ini, f"keys: {ini!r}")
        chk.expect(os.path.exists(os.path.join(trash, "moon.ico")), "moon.ico did not go to the trash")

        # An existing UTF-16 file stays UTF-16 and keeps its other sections.
        b = os.path.join(work, "B")
        os.makedirs(b)
        with open(os.path.join(b, "Desktop.ini"), "wb") as fh:
            fh.write("[ViewState]\r\nMode=4\r\n".encode("utf-16"))
        cli("apply", win(b), "--icon", win(star), "--tip", "Отпуск")
        text = read(os.path.join(b, "Desktop.ini"))
        chk.expect(text[:2] == b"\xff\xfe" and "[ViewState]\r\nMode=4" in text[2:].decode("utf-16-le"),
                   "a UTF-16 Desktop.ini did not stay UTF-16 with its sections")

        # A tooltip the ANSI code page cannot hold survives.
        c = os.path.join(work, "C")
        os.makedirs(c)
        tip = "Фото 東京 ☺"
        r = cli("apply", win(c), "--icon", win(star), "--tip", tip)
        r = cli("show", win(c))
        chk.expect(f"tip={tip}" in r.stdout.decode("utf-8"), f"the tooltip was lost: {r.stdout!r}")

        # Refused: protected names at any depth, and drive roots; nothing written.
        for name in ("Windows", "boot", "System Volume Information", "$RECYCLE.BIN"):
            p = os.path.join(work, "deep", name)
            os.makedirs(p)
            r = cli("apply", win(p), "--icon", win(star))
            chk.expect(r.returncode == 1 and r.stderr and not os.listdir(p), f"{name} was not refused")
        root_ini_existed = os.path.exists("/Desktop.ini")
        r = cli("apply", "Z:\\", "--icon", win(star))
        chk.expect(r.returncode == 1 and b"drive" in r.stderr.lower(), f"a drive root: exit {r.returncode} {r.stderr!r}")
        chk.expect(os.path.exists("/Desktop.ini") == root_ini_existed, "something was written to the drive root")

        # A missing source with --copy: an error, the folder unchanged.
        before = read(os.path.join(a, "Desktop.ini"))
        r = cli("apply", win(a), "--icon", win(os.path.join(icons, "gone.ico")), "--copy")
        chk.expect(r.returncode == 1 and read(os.path.join(a, "Desktop.ini")) == before
                   and os.path.exists(os.path.join(a, "mixed32.ico")), "a missing source changed the folder")

        # Remove: Desktop.ini to the trash; the copy only because the icon shown is an .ico.
        r = cli("remove", win(a))
        chk.expect(r.returncode == 0, f"remove: exit {r.returncode} {r.stderr!r}")
        chk.expect(os.listdir(a) == [], f"left after remove: {os.listdir(a)}")
        chk.expect(os.path.exists(os.path.join(trash, "Desktop.ini")), "Desktop.ini is not in the trash")
        r = cli("show", win(a))
        chk.expect(r.stdout.decode().splitlines() == ["source=", "index=0", "tip="], f"show after remove: {r.stdout!r}")
        r = cli("remove", win(os.path.join(work, "nowhere")))
        chk.expect(r.returncode == 1, "removing from a missing folder")

        # A crafted Desktop.ini that leads outside the folder with "/": the
        # icon shown is that outside .ico, yet remove touches nothing outside.
        victim = os.path.join(work, "victim")
        os.makedirs(victim)
        keep = os.path.join(victim, "keep.ico")
        with open(keep, "wb") as fh:
            fh.write(b"\0\0\1\0keep")
        os.chmod(keep, 0o444)  # read-only, as Wine shows it
        t = os.path.join(work, "T")
        os.makedirs(t)
        with open(os.path.join(t, "Desktop.ini"), "wb") as fh:
            fh.write(b"[.ShellClassInfo]\r\nIconFile=../victim/keep.ico\r\nIconIndex=0\r\n")
        r = cli("show", win(t))
        chk.expect(r.stdout.decode().splitlines()[0].endswith("keep.ico"), f"show of the crafted folder: {r.stdout!r}")
        r = cli("remove", win(t))
        chk.expect(r.returncode == 0, f"remove of the crafted folder: exit {r.returncode} {r.stderr!r}")
        chk.expect(os.path.exists(keep) and read(keep) == b"\0\0\1\0keep" and (os.stat(keep).st_mode & 0o222) == 0,
                   "the file outside the folder was touched")
        chk.expect(not os.path.exists(os.path.join(trash, "keep.ico")), "the outside file went to the trash")

        # Remove keeps what else a Desktop.ini holds.
        k = os.path.join(work, "K")
        os.makedirs(k)
        with open(os.path.join(k, "Desktop.ini"), "wb") as fh:
            fh.write(b"[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\nIconResource=" +
                     win(star).encode() + b",0\r\nInfoTip=x\r\n[ViewState]\r\nFolderType=Pictures\r\n")
        r = cli("remove", win(k))
        chk.expect(r.returncode == 0, f"remove with other content: exit {r.returncode} {r.stderr!r}")
        kept = read(os.path.join(k, "Desktop.ini")) if os.path.exists(os.path.join(k, "Desktop.ini")) else b""
        chk.expect(kept == b"[.ShellClassInfo]\r\nLocalizedResourceName=@shell32.dll,-21770\r\n\r\n"
                           b"[ViewState]\r\nFolderType=Pictures\r\n\r\n", f"kept Desktop.ini: {kept!r}")
        chk.expect(os.path.exists(star), "the icon source outside went away")

        # The folder is resolved before the guards: ".." to a drive root and
        # "/" to a protected name are refused like their plain forms.
        r = cli("apply", "Z:\\tmp\\..", "--icon", win(star))
        chk.expect(r.returncode == 1 and b"drive" in r.stderr.lower(), f"Z:\\tmp\\..: exit {r.returncode} {r.stderr!r}")
        boot = os.path.join(work, "deep2", "Boot")
        os.makedirs(boot)
        r = cli("apply", "Z:" + os.path.join(work, "deep2", "x", "..", "Boot"), "--icon", win(star))
        chk.expect(r.returncode == 1 and not os.listdir(boot), f"Boot through '/' and '..': exit {r.returncode} {r.stderr!r}")
        # A tooltip with line breaks stays one line.
        r = cli("apply", win(c), "--icon", win(star), "--tip", "one\r\n[two]\nthree")
        raw = read(os.path.join(c, "Desktop.ini"))  # UTF-16 since it held text the code page cannot
        text = raw[2:].decode("utf-16-le") if raw[:2] == b"\xff\xfe" else raw.decode("latin-1")
        chk.expect("\r\nInfoTip=one  [two] three\r\n" in text, f"a tooltip with line breaks: {text!r}")

        # Many folders at once: one protected among three; the other two get
        # the icon group (extracted once), a summary follows, exit 1.
        batch = [os.path.join(work, "batch", n) for n in ("One", "Windows", "Two")]
        for p in batch:
            os.makedirs(p)
        r = cli("apply", *[win(p) for p in batch], "--icon", win(dll), "--index", "2", "--copy")
        chk.expect(r.returncode == 1, f"batch apply: exit {r.returncode} {r.stderr!r}")
        chk.expect(r.stdout.decode().strip() == "3 folders: 2 applied, 1 failed", f"batch summary: {r.stdout!r}")
        chk.expect(("Failed: " + win(batch[1])).encode() in r.stderr, f"batch failure not named: {r.stderr!r}")
        chk.expect(not os.listdir(batch[1]), f"the protected folder changed: {os.listdir(batch[1])}")
        for p in (batch[0], batch[2]):
            names = sorted(n.lower() for n in os.listdir(p))
            chk.expect(names == ["desktop.ini", "mixed32.ico"], f"batch folder {p}: {names}")
        chk.expect(read(os.path.join(batch[0], "mixed32.ico")) == read(os.path.join(batch[2], "mixed32.ico")),
                   "the two folders got different icons")
        r = cli("remove", *[win(p) for p in (batch[0], batch[2])])
        chk.expect(r.returncode == 0 and r.stdout.decode().strip() == "2 folders: 2 done, 0 failed",
                   f"batch remove: exit {r.returncode} {r.stdout!r} {r.stderr!r}")
        chk.expect(not os.listdir(batch[0]) and not os.listdir(batch[2]), "batch remove left files")

        # Pictures to .ico through Windows' codecs: a PNG, a JPEG and a wide
        # GIF, read back by icoutils; the 48-pixel image of a half red, half
        # blue picture is red and blue where it is opaque. A PNG cut short and
        # a missing file write nothing.
        pics = os.path.join(work, "pics")
        os.makedirs(pics)
        magick = lambda *a: subprocess.run(["convert", *a], capture_output=True, check=True)
        magick("-size", "48x96", "xc:red", "-size", "48x96", "xc:blue", "+append", os.path.join(pics, "half.png"))
        magick(os.path.join(pics, "half.png"), "-quality", "100", os.path.join(pics, "half.jpg"))
        magick("-size", "120x60", "xc:lime", os.path.join(pics, "wide.gif"))
        with open(os.path.join(pics, "half.png"), "rb") as fh:
            whole = fh.read()
        with open(os.path.join(pics, "cut.png"), "wb") as fh:
            fh.write(whole[: len(whole) - 20])
        sizes = ["16", "20", "24", "32", "40", "48", "64", "256"]
        for name in ("half.png", "half.jpg", "wide.gif"):
            out = os.path.join(pics, name + ".ico")
            r = cli("convert", win(os.path.join(pics, name)), win(out))
            chk.expect(r.returncode == 0 and os.path.exists(out), f"convert {name}: exit {r.returncode} {r.stderr!r}")
            if not os.path.exists(out):
                continue
            listed = subprocess.run(["icotool", "-l", out], capture_output=True, text=True).stdout
            found = [line.split("--width=")[1].split()[0] for line in listed.splitlines() if "--width=" in line]
            chk.expect(found == sizes, f"{name}: sizes {found}")
            chk.expect(listed.count("--bit-depth=32") == 8, f"{name}: not all 32-bit: {listed!r}")
            png48 = os.path.join(pics, name + "-48.png")
            subprocess.run(["icotool", "-x", "-w", "48", "-o", png48, out], capture_output=True)
            probe = subprocess.run(["convert", png48, "-format",
                                    "%[pixel:p{5,24}] %[pixel:p{42,24}] %[pixel:p{24,5}]", "info:"],
                                   capture_output=True, text=True).stdout.split()
            def near(pixel, rgba):
                names = {"red": (255, 0, 0, 1), "blue": (0, 0, 255, 1), "lime": (0, 255, 0, 1), "none": (0, 0, 0, 0)}
                if pixel in names:
                    got = names[pixel]
                else:
                    got = tuple(float(v) for v in pixel[pixel.index("(") + 1:-1].split(","))
                # JPEG shifts colours a little; the alpha must be exact.
                return all(abs(g - w) <= 8 for g, w in zip(got[:3], rgba[:3])) and float(got[3]) == rgba[3]
            if name.startswith("half"):
                chk.expect(near(probe[0], (255, 0, 0, 1)), f"{name}: left {probe[0]}")
                chk.expect(near(probe[1], (0, 0, 255, 1)), f"{name}: right {probe[1]}")
            else:
                chk.expect(near(probe[2], (0, 0, 0, 0)), f"{name}: above the picture {probe[2]}")
                chk.expect(near(probe[0], (0, 255, 0, 1)), f"{name}: the picture {probe[0]}")
        for name in ("cut.png", "gone.png"):
            out = os.path.join(pics, name + ".ico")
            r = cli("convert", win(os.path.join(pics, name)), win(out))
            chk.expect(r.returncode == 1 and not os.path.exists(out) and b"Nothing was written" in r.stderr,
                       f"convert {name}: exit {r.returncode} {r.stderr!r}")

        # A picture applied to two folders: each gets the picture's .ico, the
        # same bytes as convert writes, named in Desktop.ini like a copied .ico.
        shots = [os.path.join(work, n) for n in ("Holiday", "Trip")]
        for p in shots:
            os.makedirs(p)
        r = cli("apply", *[win(p) for p in shots], "--icon", win(os.path.join(pics, "half.png")))
        chk.expect(r.returncode == 0 and r.stdout.decode().strip() == "2 folders: 2 applied, 0 failed",
                   f"apply a picture: exit {r.returncode} {r.stdout!r} {r.stderr!r}")
        for p in shots:
            names = sorted(n.lower() for n in os.listdir(p))
            chk.expect(names == ["desktop.ini", "half.ico"], f"picture folder {p}: {names}")
            if "half.ico" in names:
                chk.expect(read(os.path.join(p, [n for n in os.listdir(p) if n.lower() == "half.ico"][0])) ==
                           read(os.path.join(pics, "half.png.ico")), f"{p}: not the converted picture")
            ini = [n for n in os.listdir(p) if n.lower() == "desktop.ini"]
            text = read(os.path.join(p, ini[0])).decode("latin-1") if ini else ""
            chk.expect("IconFile=half.ico\r\nIconIndex=0\r\nIconResource=half.ico,0\r\n" in text,
                       f"{p}: Desktop.ini {text!r}")
        r = cli("apply", win(os.path.join(work, "Trip")), "--icon", win(os.path.join(pics, "cut.png")))
        chk.expect(r.returncode == 1 and b"not a picture or it is damaged" in r.stderr,
                   f"apply a damaged picture: exit {r.returncode} {r.stderr!r}")
        chk.expect(not os.path.exists(os.path.join(work, "Trip", "cut.ico")), "a damaged picture left an .ico")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    chk.finish("engine through vandrel-cli")


if __name__ == "__main__":
    main()
