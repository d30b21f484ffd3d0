"""Checks the release layout scripts/release made: the version file holds the
build's version, and the archive holds the program at its root and never a
user's settings (Config/, portable.ini) or a path outside the folder. The
program must start on Windows older than 10 far enough to say it needs 10 or
11: it imports none of the later functions the loader would refuse it for. The
picture codecs load only when a picture is read. The manifest lists every
package with its size and SHA-256 and its signature holds, checked with
openssl, for one of the keys the build trusts.

  check_release.py DIST VERSION KEYS   (KEYS: the build's VANDREL_UPDATE_PUBLIC_KEY)"""
import hashlib
import os
import subprocess
import sys
import tempfile
import zipfile

import pefile

# Functions of Windows 8 and later that the program only looks up at run time.
LATER_FUNCTIONS = {
    "AdjustWindowRectExForDpi", "GetDpiForSystem", "GetDpiForWindow", "GetSystemMetricsForDpi",
    "SystemParametersInfoForDpi", "SetThreadDpiAwarenessContext", "SetProcessDpiAwarenessContext",
    "EnableNonClientDpiScaling", "GetSystemDpiForProcess", "GetWindowDpiAwarenessContext",
    "GetSystemTimePreciseAsFileTime", "CreateFile2",
}
LATER_LIBRARIES = ("shcore.dll", "api-ms-win-")
# Loaded through COM only when a picture is read, not at every start.
ON_DEMAND_LIBRARIES = ("windowscodecs.dll",)
# The program is one static executable, symbols stripped; it stays small.
MAX_PROGRAM_BYTES = 2 * 1024 * 1024


# What comes before the point in a P-256 public key's SubjectPublicKeyInfo.
P256_SPKI_PREFIX = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d030107034200")


def check_manifest(dist, version, keys, failures):
    try:
        with open(f"{dist}/Vandrel.manifest", "rb") as f:
            manifest = f.read()
    except OSError:
        failures.append("no Vandrel.manifest")
        return
    lines = manifest.decode().split("\n")
    if lines[-1] != "":
        failures.append("the manifest does not end with a line end")
    listed = {}
    for line in lines[:-1]:
        word, _, rest = line.partition(" ")
        if word == "version" and rest != version:
            failures.append(f"the manifest names version {rest}")
        if word == "sha256":
            digest, size, name = rest.split(" ")
            listed[name] = (digest, int(size))
    for name in ("Vandrel.zip", "Vandrel-setup.exe"):
        if not os.path.exists(f"{dist}/{name}"):
            if name in listed:
                failures.append(f"the manifest lists {name}, which is not there")
            continue
        with open(f"{dist}/{name}", "rb") as f:
            data = f.read()
        if listed.get(name) != (hashlib.sha256(data).hexdigest(), len(data)):
            failures.append(f"the manifest's line for {name} is not its size and SHA-256")
    verified = False
    for key in filter(None, (k.strip() for k in keys.split(","))):
        with tempfile.NamedTemporaryFile(suffix=".der") as public:
            public.write(P256_SPKI_PREFIX + bytes.fromhex(key))
            public.flush()
            r = subprocess.run(["openssl", "dgst", "-sha256", "-verify", public.name, "-keyform", "DER", "-signature",
                                f"{dist}/Vandrel.manifest.sig", f"{dist}/Vandrel.manifest"], capture_output=True)
            verified = verified or r.returncode == 0
    if not verified:
        failures.append("the manifest's signature holds for none of the build's keys")


def main():
    dist, version, keys = sys.argv[1], sys.argv[2], sys.argv[3]
    failures = []
    check_manifest(dist, version, keys, failures)
    with open(f"{dist}/version.txt", "rb") as f:
        if f.read().strip() != version.encode():
            failures.append("version.txt does not hold " + version)
    with zipfile.ZipFile(f"{dist}/Vandrel.zip") as z:
        names = z.namelist()
        program = z.read("Vandrel.exe") if "Vandrel.exe" in names else b""
    if len(program) > MAX_PROGRAM_BYTES:
        failures.append(f"Vandrel.exe is {len(program)} bytes, more than {MAX_PROGRAM_BYTES}")
    if program:
        pe = pefile.PE(data=program)
        if pe.FILE_HEADER.PointerToSymbolTable or pe.FILE_HEADER.NumberOfSymbols:
            failures.append("Vandrel.exe carries a symbol table")
        for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
            library = entry.dll.decode().lower()
            if library.startswith(LATER_LIBRARIES):
                failures.append("the program imports " + library)
            if library in ON_DEMAND_LIBRARIES:
                failures.append(f"the program imports {library}, which it loads only when needed")
            for function in entry.imports:
                if function.name and function.name.decode() in LATER_FUNCTIONS:
                    failures.append(f"the program imports {function.name.decode()} from {library}")
    if "Vandrel.exe" not in names:
        failures.append("Vandrel.exe is not at the archive's root")
    for n in names:
        low = n.lower()
        if low.startswith("config/") or low == "portable.ini" or n.startswith(("/", "\\")) or ".." in n.replace("\\", "/").split("/") or ":" in n:
            failures.append("the archive holds " + n)
    for f in failures:
        print("FAIL:", f)
    print(f"release: {len(names)} entries, Vandrel.exe {len(program)} bytes, {'passed' if not failures else 'failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
