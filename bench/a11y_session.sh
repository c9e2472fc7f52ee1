#!/usr/bin/env bash
# Runs a command as a screen reader's user runs the program: on a private X server (Xvfb) with a
# session bus and AT-SPI's accessibility bus on it, Qt's bridge switched on (as tests/e2e/run.sh
# does). For the benchmarks that open the window, e.g.
#   bench/a11y_session.sh build-bench/bench/bench_pauses 100000 5
# Needs Xvfb, dbus-daemon and at-spi-bus-launcher (scripts/setup).
set -euo pipefail
for tool in Xvfb dbus-daemon /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-a11y-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
exec 5<>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
exec 5>&-
export DISPLAY=":$(head -n1 "$work/display")"
read -r address dbus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
pids+=("$dbus_pid")
export DBUS_SESSION_BUS_ADDRESS=$address
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 QT_QPA_PLATFORMTHEME=
unset WAYLAND_DISPLAY
"$@"
