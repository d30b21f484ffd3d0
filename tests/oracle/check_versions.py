"""vandrel-cli version on crafted files: the normalisation table and its fallbacks."""
import os

from common import Checker, make_fixtures, parse_args, run

EXPECTED = {
    "ver_plain.dll": "9.0.26.320",
    "ver_commas.dll": "9.0.26.320",
    "ver_beta.dll": "2.1.0.5",
    "ver_trailing.dll": "1.2",
    "ver_leading.dll": "1.2",
    "ver_word.dll": "2.0.3.4",
    "ver_fixed_only.dll": "9.0.26.320",
    "ver_nothing.dll": "",
}


def main():
    args = parse_args()
    chk = Checker()
    make_fixtures(args)
    for name, want in EXPECTED.items():
        r = run(args.cli + ["version", os.path.join(args.fixtures_dir, name)])
        got = r.stdout.decode("utf-8").rstrip("\r\n")
        chk.expect(r.returncode == 0 and got == want, f"{name}: got {got!r}, want {want!r}")
    mixed = os.path.join(args.fixtures_dir, "mixed32.dll")
    for value, want in (("CompanyName", "Vandrel Software"), ("companyname", "Vandrel Software"), ("NoSuchValue", "")):
        r = run(args.cli + ["version", mixed, value])
        got = r.stdout.decode("utf-8").rstrip("\r\n")
        chk.expect(got == want, f"version {value}: got {got!r}")
    r = run(args.cli + ["version", os.path.join(args.fixtures_dir, "missing.dll")])
    chk.expect(r.returncode == 0 and r.stdout.strip() == b"", "a missing file prints an empty line")
    # The Windows build carries its own version resource.
    exe = args.cli[-1]
    if exe.endswith(".exe"):
        for value, want in ((None, "9.0.26.320"), ("CompanyName", "Vandrel Software"),
                            ("LegalCopyright", "© 2019-2026 Vandrel Software"), ("ProductName", "Vandrel")):
            r = run(args.cli + ["version", exe] + ([value] if value else []))
            got = r.stdout.decode("utf-8").rstrip("\r\n")
            chk.expect(got == want, f"own version resource {value or 'FileVersion'}: got {got!r}")
        r = run(args.cli + ["icons", exe])
        chk.expect(r.stdout.decode().splitlines() == ["0\tMAINICON"], f"own icon: {r.stdout!r}")
    chk.finish("version comparison")


if __name__ == "__main__":
    main()
