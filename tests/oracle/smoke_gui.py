"""Starts Vandrel.exe under Wine, finds its window by its title, saves a
screenshot, checks that a second copy ends at once, and closes the first."""
import argparse
import os
import subprocess
import sys
import time


def find_window(title_prefix, timeout):
    end = time.time() + timeout
    while time.time() < end:
        r = subprocess.run(["xdotool", "search", "--name", "^" + title_prefix], capture_output=True, text=True)
        ids = r.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.5)
    return None


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--runner", required=True)
    p.add_argument("--exe", required=True)
    p.add_argument("--screenshot", required=True)
    a = p.parse_args()
    if not os.environ.get("DISPLAY"):
        print("no display: skipped (scripts/test runs this under Xvfb)")
        sys.exit(77)
    failures = []
    first = subprocess.Popen([a.runner, a.exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = find_window(r"Vandrel 9\.0\.26\.320 \(", 60)
        if window is None:
            failures.append("the main window did not appear")
        else:
            name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True, text=True).stdout.strip()
            print("window:", name)
            if not name.startswith("Vandrel 9.0.26.320 (") or not name.endswith("-bit)"):
                failures.append(f"unexpected title {name!r}")
            # Keep the pointer off the window, so no tooltip covers the picture.
            subprocess.run(["xdotool", "mousemove", "0", "0"], check=False)
            time.sleep(1)
            os.makedirs(os.path.dirname(a.screenshot), exist_ok=True)
            subprocess.run(["import", "-window", window, a.screenshot], check=False)
            print("screenshot:", a.screenshot)
            # A second copy ends at once, silently, and shows no window of its own.
            start = time.time()
            second = subprocess.run([a.runner, a.exe], capture_output=True, timeout=60)
            if second.returncode != 0:
                failures.append(f"the second copy exited with {second.returncode}")
            print(f"second copy ended after {time.time() - start:.1f} s")
            r = subprocess.run(["xdotool", "search", "--name", "^Vandrel 9"], capture_output=True, text=True)
            if len(r.stdout.split()) != 1:
                failures.append(f"windows named Vandrel: {r.stdout.split()}")
            if first.poll() is not None:
                failures.append("the first copy ended")
    finally:
        first.kill()
        first.wait()
    for f in failures:
        print("FAIL:", f)
    print(f"smoke: {0 if failures else 1} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
