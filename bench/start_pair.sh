#!/usr/bin/env bash
# Times the desktop program's start, from the process's start to the main window with the first rows
# of the list painted, on an empty database and on one of RECORDS records, against "tessarin-cli ls"
# of the same files, and KeePassXC opening a database of the same entries; with the peak memory
# (max RSS) of each. The program starts both without and with the accessibility bus (a session bus
# with AT-SPI's bus on it, as screen-reader users and many desktops have). All on a private X server
# (Xvfb), runs interleaved, medians at the end.
# Not part of the tests: it needs the release build (default build/), Xvfb, xdotool, dbus-daemon and
# at-spi-bus-launcher, and installs keepassxc with apt-get when it is missing. KEEPASSXC=0 leaves
# KeePassXC out (and needs none of it).
#   bench/start_pair.sh [BUILD_DIR] [RECORDS] [REPETITIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
records=${2:-100000}
reps=${3:-5}
password=pair-password
keepass=${KEEPASSXC:-1}

[ "$keepass" = 0 ] || command -v keepassxc >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q keepassxc >/dev/null
tools=(Xvfb xdotool dbus-daemon /usr/libexec/at-spi-bus-launcher /usr/bin/time)
[ "$keepass" = 0 ] || tools+=(keepassxc keepassxc-cli)
for tool in "${tools[@]}"; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
cmake --build "$build" -j2 --target tessarin tessarin-cli make_ls_pair >/dev/null
program=$build/tessarin
cli=$build/tessarin-cli

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A home per database, the database where the program looks for it, and no password on it: the
# program would ask for one in a dialog, while KeePassXC reads it from its standard input.
home_with() {
    local name=$1 count=$2 home=$work/$1
    local folder=$home/Documents/Marrowgate/Tessarin/_Standalone_
    mkdir -p "$folder" "$home/.config/keepassxc"
    "$build/bench/make_ls_pair" "$count" "$password" "$folder/TessarinDatabase.tdb" "$work/$name.xml"
    printf '%s\n\n\n' "$password" | "$cli" --db "$folder/TessarinDatabase.tdb" passwd >/dev/null
    [ "$keepass" = 0 ] && return
    printf '[General]\nUpdateCheckMessageShown=true\n[GUI]\nCheckForUpdates=false\n' \
        >"$home/.config/keepassxc/keepassxc.ini"
    printf '%s\n%s\n' "$password" "$password" |
        keepassxc-cli import -q -p -t 100 "$work/$name.xml" "$work/$name.kdbx"
}
home_with empty 0
home_with full "$records"
ls -l "$work"/*/Documents/Marrowgate/Tessarin/_Standalone_/TessarinDatabase.tdb
[ "$keepass" = 0 ] || ls -l "$work"/*.kdbx

# A private X server, no session bus: nothing to wait for but the programs themselves.
exec 5<>"$work/display"
Xvfb -displayfd 5 -screen 0 1280x900x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb
exec 5>&-
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY TESSARIN_PLATFORM_DIR TESSARIN_FAKE_PLATFORM

# The accessibility bus, for the runs that have it: a session bus of our own and AT-SPI's bus
# launched on it, Qt's bridge switched on as for a screen reader (as tests/e2e/run.sh does).
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
read -r a11y_bus dbus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -s -d ' ')
pids+=("$dbus_pid")
DBUS_SESSION_BUS_ADDRESS=$a11y_bus /usr/libexec/at-spi-bus-launcher --launch-immediately \
    >"$work/atspi.log" 2>&1 &
pids+=($!)
bus_env=(env "DBUS_SESSION_BUS_ADDRESS=$a11y_bus" QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1)

with_home() {
    local home=$work/$1
    shift
    HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
        XDG_CACHE_HOME=$home/.cache XDG_DOCUMENTS_DIR=$home/Documents exec "$@"
}

# A process that ends by itself: "name seconds peak-KiB".
measure() {
    local name=$1 home=$2
    shift 2
    printf '%s\n' "$password" | with_home "$home" timeout 120 /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>&1
    echo "$name $(tail -n1 "$work/time")"
}

# A window program that does not end: the time from its start until a window whose title matches
# appears (xdotool, polled every 5 ms), then its peak memory once it has settled for a second.
watch_window() {
    local name=$1 home=$2 title=$3
    shift 3
    local start end pid
    start=$(date +%s%N)
    printf '%s\n' "$password" | with_home "$home" "$@" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --all --onlyvisible --pid "$pid" --name "$title" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "$name failed" >&2; return 1; }
        sleep 0.005
    done
    end=$(date +%s%N)
    sleep 1
    local peak
    peak=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo "$name $(((end - start) / 1000000)).$(printf '%03d' $(((end - start) / 1000 % 1000))) $peak" |
        awk '{ printf "%s %.3f %s\n", $1, $2 / 1000, $3 }'
}

db_of() { echo "$work/$1/Documents/Marrowgate/Tessarin/_Standalone_/TessarinDatabase.tdb"; }

# Both must see every record.
rows=$("$cli" --db "$(db_of full)" ls </dev/null | wc -l)
echo "rows: tessarin-cli $((rows - 1)) (plus a header line)"
if [ "$keepass" != 0 ]; then
    entries=$(printf '%s\n' "$password" | keepassxc-cli ls -q -R -f "$work/full.kdbx" | grep -vc '/$')
    echo "entries: keepassxc-cli $entries"
fi

for ((i = 1; i <= reps; i++)); do
    measure program-empty empty env TESSARIN_EXIT_AFTER_FIRST_ROWS=1 "$program"
    measure ls-empty empty "$cli" --db "$(db_of empty)" ls
    measure program-full full env TESSARIN_EXIT_AFTER_FIRST_ROWS=1 "$program"
    measure ls-full full "$cli" --db "$(db_of full)" ls
    measure program-a11y-full full "${bus_env[@]}" TESSARIN_EXIT_AFTER_FIRST_ROWS=1 "$program"
    measure program-a11y-empty empty "${bus_env[@]}" TESSARIN_EXIT_AFTER_FIRST_ROWS=1 "$program"
    [ "$keepass" = 0 ] && continue
    measure keepassxc-cli-full full keepassxc-cli ls -q -R -f "$work/full.kdbx"
    watch_window program-title-full full '^Tessarin Password Manager' "$program"
    watch_window keepassxc-title-full full '^pair - KeePassXC$' keepassxc --pw-stdin "$work/full.kdbx"
    watch_window program-title-empty empty '^Tessarin Password Manager' "$program"
    watch_window keepassxc-title-empty empty '^pair - KeePassXC$' keepassxc --pw-stdin "$work/empty.kdbx"
done | tee "$work/runs"

# Medians per measurement, and the ratios the documentation quotes.
. bench/medians.sh
awk "$medians_awk"'
    END {
        printf "%-22s %8s %10s\n", "measurement", "seconds", "peak MiB"
        for (name in t) {
            s[name] = median(t[name]); p[name] = median(m[name])
            printf "%-22s %8.3f %10.1f\n", name, s[name], p[name] / 1024
        }
        printf "start, empty, / ls of it:           %.2f\n", s["program-empty"] / s["ls-empty"]
        printf "start, full, / ls of it:            %.2f\n", s["program-full"] / s["ls-full"]
        printf "start, accessibility bus, full / ls: %.2f\n", s["program-a11y-full"] / s["ls-full"]
        printf "the same, empty / ls of it:         %.2f\n", s["program-a11y-empty"] / s["ls-empty"]
        if (!("keepassxc-cli-full" in s)) exit
        printf "window, full: ours / KeePassXC:     %.2f\n", s["program-title-full"] / s["keepassxc-title-full"]
        printf "window, empty: ours / KeePassXC:    %.2f\n", s["program-title-empty"] / s["keepassxc-title-empty"]
        printf "start, full / keepassxc-cli ls:     %.2f\n", s["program-full"] / s["keepassxc-cli-full"]
        printf "peak, full / empty program:         %.2f (+%.1f MiB)\n", p["program-full"] / p["program-empty"], (p["program-full"] - p["program-empty"]) / 1024
        printf "peak, full program / ls:            %.2f\n", p["program-full"] / p["ls-full"]
        printf "peak, full: ours / KeePassXC:       %.2f\n", p["program-title-full"] / p["keepassxc-title-full"]
    }' "$work/runs"
