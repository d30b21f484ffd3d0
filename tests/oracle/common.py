"""Shared helpers of the comparisons with independent readers."""
import argparse
import subprocess
import sys


def parse_args():
    p = argparse.ArgumentParser()
    p.add_argument("--cli", required=True, help="command that runs vandrel-cli, parts separated by ';'")
    p.add_argument("--make-fixtures", required=True, help="command that writes the crafted fixtures")
    p.add_argument("--fixtures-dir", required=True)
    a = p.parse_args()
    a.cli = [x for x in a.cli.split(";") if x]
    a.make_fixtures = [x for x in a.make_fixtures.split(";") if x]
    return a


def run(cmd, timeout=60):
    return subprocess.run(cmd, capture_output=True, timeout=timeout)


def make_fixtures(args):
    import os
    os.makedirs(args.fixtures_dir, exist_ok=True)
    r = run(args.make_fixtures + [args.fixtures_dir])
    if r.returncode != 0:
        sys.exit("make_pe_fixtures failed: " + r.stderr.decode(errors="replace"))
    return [os.path.join(args.fixtures_dir, n) for n in r.stdout.decode().split()]


class Checker:
    def __init__(self):
        self.failures = 0
        self.checks = 0

    def expect(self, ok, message):
        self.checks += 1
        if not ok:
            self.failures += 1
            print("FAIL: " + message)

    def finish(self, what):
        passed = self.checks - self.failures
        print(f"{what}: {passed} passed, {self.failures} failed")
        sys.exit(1 if self.failures else 0)
