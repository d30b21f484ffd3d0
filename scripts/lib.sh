# Shared by the scripts: where things are, and how Windows programs run here.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# The Windows build we ship is 32-bit. Where this machine cannot start 32-bit
# Linux programs (and so no 32-bit Wine), the same sources are built for
# 64-bit Windows to run the Windows tests and the program under 64-bit Wine.
windows_run_preset() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo windows; else echo windows64; fi
}

# Starts a persistent wineserver for a build's prefix, with Wine's own services
# already running, so each program start costs milliseconds instead of seconds
# and no service holds on to a test's output pipe.
start_wine() {
  local build=$1
  "$build/wine-run" --prepare
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
  setsid /usr/lib/wine/wineserver64 -p </dev/null >/dev/null 2>&1 &
  sleep 0.5
  "$build/wine-run" wineboot </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver64 -k >/dev/null 2>&1 || true
}
