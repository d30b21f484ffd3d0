"""Checks the release layout scripts/release made: the version file holds the
build's version, and the archive holds the program at its root and never a
user's settings (Config/, portable.ini) or a path outside the folder."""
import sys
import zipfile


def main():
    dist, version = sys.argv[1], sys.argv[2]
    failures = []
    with open(f"{dist}/version.txt", "rb") as f:
        if f.read().strip() != version.encode():
            failures.append("version.txt does not hold " + version)
    with zipfile.ZipFile(f"{dist}/Vandrel.zip") as z:
        names = z.namelist()
    if "Vandrel.exe" not in names:
        failures.append("Vandrel.exe is not at the archive's root")
    for n in names:
        low = n.lower()
        if low.startswith("config/") or low == "portable.ini" or n.startswith(("/", "\\")) or ".." in n.replace("\\", "/").split("/") or ":" in n:
            failures.append("the archive holds " + n)
    for f in failures:
        print("FAIL:", f)
    print(f"release: {len(names)} entries, {'passed' if not failures else 'failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
