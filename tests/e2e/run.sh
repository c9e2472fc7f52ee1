#!/usr/bin/env bash
# Runs the desktop program's end-to-end tests as a person would meet it: a private X display
# (Xvfb), a private session bus with the accessibility bus on it, and a fresh home folder. The
# tests read and drive the program through AT-SPI, as a screen reader does.
#   run.sh BUILD_DIR SOURCE_DIR [SUITE...]   (SUITE: e2e_files, say; all of them when none; or
#   the path of a suite kept elsewhere, such as tests/package's, run alone under the same display)
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
shift 2
chosen=("$@")
suites=("$source"/tests/e2e/e2e_*.py)
if [ ${#chosen[@]} -eq 1 ] && [ -f "${chosen[0]}" ]; then
    suites=("$(cd "$(dirname "${chosen[0]}")" && pwd)/$(basename "${chosen[0]}")")
    chosen=()
fi

for tool in Xvfb dbus-daemon /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/setup)"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    { echo "skipped: python3-pyatspi is not installed (scripts/setup)"; exit 77; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-e2e-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The buses' own files live here; each suite gets a home of its own below.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset TESSARIN_PLATFORM_DIR TESSARIN_FAKE_PLATFORM WAYLAND_DISPLAY

# A free display number: the X server says which one it took. It must not reset when its last
# client leaves (the readiness check below is one): a program connecting during the reset fails.
exec 5<> "$work/display"
Xvfb -displayfd 5 -screen 0 1280x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
display=$(head -n1 "$work/display")
[ -n "$display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$display"
# The server must still be there and taking connections before anything starts on it (a socket
# left behind by an earlier server of the same number is there but takes none).
for _ in $(seq 1 100); do
    /usr/bin/python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])' "/tmp/.X11-unix/X$display" 2>/dev/null && break
    sleep 0.1
done
kill -0 "${pids[0]}" 2>/dev/null || { echo "Xvfb ended"; cat "$work/xvfb.log"; exit 1; }

eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 |
        { read -r address; read -r pid; echo "export DBUS_SESSION_BUS_ADDRESS='$address'; dbus_pid=$pid"; })"
pids+=("$dbus_pid")
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 QT_QPA_PLATFORM=xcb
export QT_QPA_PLATFORMTHEME=
exec 5>&-
# Every suite (e2e_*.py) in a fresh home, with a runtime folder of its own for the program's
# endpoints; the buses stay up for all of them.
failed=0
for suite in "${suites[@]}"; do
    name=$(basename "$suite" .py)
    if [ ${#chosen[@]} -gt 0 ] && [[ ! " ${chosen[*]} " == *" $name "* ]]; then
        continue
    fi
    export HOME="$work/$name/home"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
    export XDG_CACHE_HOME="$HOME/.cache" XDG_DOCUMENTS_DIR="$HOME/Documents"
    mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME"
    echo "== $name"
    /usr/bin/python3 "$suite" --build "$build" --source "$source" || failed=1
done
exit $failed
