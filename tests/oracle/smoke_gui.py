"""Starts Vandrel.exe under Wine, finds its window by its title, saves a
screenshot, checks that a second copy ends at once, and closes the first."""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time


def find_window(title_prefix, timeout):
    end = time.time() + timeout
    while time.time() < end:
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^" + title_prefix], capture_output=True, text=True)
        ids = r.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.5)
    return None


def geometry(window):
    r = subprocess.run(["xdotool", "getwindowgeometry", window], capture_output=True, text=True).stdout
    for line in r.splitlines():
        if "Geometry:" in line:
            w, h = line.split(":")[1].strip().split("x")
            return int(w), int(h)
    return 0, 0


def run_portable_copy(a, folder, option_text):
    """Starts a portable copy with `option_text` as its Option.ini (None: no
    file), closes it as a user would, and returns what was seen."""
    os.makedirs(folder)
    exe = os.path.join(folder, "Vandrel.exe")
    shutil.copyfile(a.exe, exe)
    open(os.path.join(folder, "portable.ini"), "wb").close()
    config = os.path.join(folder, "Config")
    option = os.path.join(config, "Option.ini")
    if option_text is not None:
        os.makedirs(config)
        with open(option, "wb") as f:
            f.write(option_text.encode())
    seen = {"window": False, "config_at_start": False, "size": (0, 0), "maximised": False, "ended": False, "file": None}
    proc = subprocess.Popen([a.runner, exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        window = find_window(r"Vandrel 9\.0\.26\.320 \(", 60)
        seen["window"] = window is not None
        seen["config_at_start"] = os.path.isdir(config)
        if window:
            time.sleep(1)
            seen["size"] = geometry(window)
            # Without a window manager Wine keeps the X window's size and
            # says "maximised" in the window's state instead.
            seen["maximised"] = "MAXIMIZED" in subprocess.run(["xprop", "-id", window, "_NET_WM_STATE"],
                                                              capture_output=True, text=True).stdout
        # Without /f, taskkill asks the windows to close, as the close box does.
        subprocess.run([a.runner, "taskkill", "/im", "Vandrel.exe"], capture_output=True, timeout=60)
        try:
            proc.wait(timeout=30)
            seen["ended"] = True
        except subprocess.TimeoutExpired:
            pass
    finally:
        proc.kill()
        proc.wait()
    if os.path.exists(option):
        with open(option, "rb") as f:
            seen["file"] = f.read().decode("cp1251")
    return seen


def check_settings(a, work):
    """The settings of a portable copy: made at the first start, applied at
    the next, written when the window closes."""
    failures = []
    first = run_portable_copy(a, os.path.join(work, "first"), None)
    print("first start:", {k: v for k, v in first.items() if k != "file"})
    if not first["config_at_start"]:
        failures.append("no Config folder right after the first start")
    if not first["ended"]:
        failures.append("the program did not end when its window was closed")
    text = first["file"] or ""
    # The main window's keys in their order; the update window, asked to
    # close too, may add its own.
    keys = [line.split("=")[0] for line in text.split("\r\n") if "=" in line and not line.startswith("CheckBoxAutoCheck=")]
    if keys != ["ThemeAuto", "ThemeLight", "ThemeDark", "CheckBoxCopyIcon", "IconSmallMenu", "IconBigMenu", "Window",
                "Height", "Width"] or "Window=wsNormal" not in text:
        failures.append(f"the first close wrote {text!r}")

    normal = run_portable_copy(a, os.path.join(work, "normal"),
                               "[Option]\r\nWindow=wsNormal\r\nHeight=600\r\nWidth=760\r\nIconBigMenu=1\r\n"
                               "[Language]\r\nLanguage=English\r\n")
    print("stored size:", normal["size"])
    width, height = normal["size"]
    # The X window is the client area of the 760 x 600 window.
    if normal["maximised"] or not (700 <= width <= 760 and 520 <= height <= 600):
        failures.append(f"the stored size was not applied: {normal['size']}")
    text = normal["file"] or ""
    for expected in ("Height=600\r\nWidth=760\r\n", "IconBigMenu=1\r\n", "[Language]\r\nLanguage=English\r\n"):
        if expected not in text:
            failures.append(f"after the close {expected!r} is missing from {text!r}")

    maximised = run_portable_copy(a, os.path.join(work, "maximised"),
                                  "[Option]\r\nWindow=wsMaximized\r\nHeight=600\r\nWidth=760\r\n")
    print("maximised:", maximised["maximised"])
    if not maximised["maximised"]:
        failures.append("the window did not open maximised")
    if "Window=wsMaximized\r\nHeight=600\r\nWidth=760\r\n" not in (maximised["file"] or ""):
        failures.append(f"a maximised close changed the stored size: {maximised['file']!r}")
    return failures


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--runner", required=True)
    p.add_argument("--exe", required=True)
    p.add_argument("--screenshot", required=True)
    p.add_argument("--bitness", required=True, help="(32-bit) or (64-bit), as the build is")
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
            if name != f"Vandrel 9.0.26.320 {a.bitness}":
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
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vandrel 9"], capture_output=True, text=True)
            if len(r.stdout.split()) != 1:
                failures.append(f"windows named Vandrel: {r.stdout.split()}")
            if first.poll() is not None:
                failures.append("the first copy ended")
    finally:
        first.kill()
        first.wait()

    work = tempfile.mkdtemp(prefix="vandrel-smoke-")
    try:
        # An empty portable.ini beside the program: the title says Portable.
        portable = os.path.join(work, "portable")
        os.makedirs(portable)
        exe = os.path.join(portable, "Vandrel.exe")
        shutil.copyfile(a.exe, exe)
        open(os.path.join(portable, "portable.ini"), "wb").close()
        proc = subprocess.Popen([a.runner, exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = find_window(r"Vandrel 9\.0\.26\.320 \(", 60)
            name = subprocess.run(["xdotool", "getwindowname", window or "0"], capture_output=True, text=True).stdout.strip()
            print("portable window:", name)
            if name != f"Vandrel 9.0.26.320 {a.bitness} Portable":
                failures.append(f"portable mode title {name!r}")
        finally:
            proc.kill()
            proc.wait()

        failures += check_settings(a, work)

        # A system older than Windows 10: the refusal box, never the main
        # window; in the language the user chose, when there is one.
        subprocess.run([a.runner, "reg", "add", r"HKCU\Software\Wine\AppDefaults\VandrelOnWin7.exe", "/v", "Version",
                        "/d", "win7", "/f"], capture_output=True, timeout=60)
        for language, title in (("", "Ошибка!"), ("German", "Fehler!")):
            folder = os.path.join(work, "win7-" + (language or "design"))
            os.makedirs(os.path.join(folder, "Config"))
            old = os.path.join(folder, "VandrelOnWin7.exe")
            shutil.copyfile(a.exe, old)
            open(os.path.join(folder, "portable.ini"), "wb").close()
            shutil.copytree(os.path.join(os.path.dirname(a.exe), "Language"), os.path.join(folder, "Language"))
            with open(os.path.join(folder, "Config", "Option.ini"), "wb") as f:
                f.write(f"[Language]\r\nLanguage={language}\r\n[Option]\r\nCheckBoxAutoCheck=0\r\n".encode())
            proc = subprocess.Popen([a.runner, old], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                box = find_window(title, 60)
                if box is None:
                    failures.append(f"no refusal box titled {title!r} on Windows 7")
                r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Vandrel 9"], capture_output=True,
                                   text=True)
                if r.stdout.split():
                    failures.append("the main window showed on Windows 7")
                print("Windows 7:", repr(title), "shown" if box else "missing")
            finally:
                proc.kill()
                proc.wait()
    finally:
        shutil.rmtree(work, ignore_errors=True)

    for f in failures:
        print("FAIL:", f)
    print(f"smoke: {'passed' if not failures else 'failed'}, {len(failures)} problems")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
