"""Checks the release layout scripts/release made: the version file holds the
build's version, and the archive holds the program at its root and never a
user's settings (Config/, portable.ini) or a path outside the folder. The
program must start on Windows older than 10 far enough to say it needs 10 or
11: it imports none of the later functions the loader would refuse it for. The
picture codecs load only when a picture is read."""
import sys
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


def main():
    dist, version = sys.argv[1], sys.argv[2]
    failures = []
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
