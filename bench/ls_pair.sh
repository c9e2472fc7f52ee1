#!/usr/bin/env bash
# Lists a 100,000-record protected database with "tessarin-cli ls" and an equal KeePassXC database
# with "keepassxc-cli ls -R -f", alternately, and reports each run's wall time and peak memory; beside
# them "tessarin-cli info" of the same file, which only loads it (asks the password, reads, deciphers
# and unpacks every item), as the floor of ls.
# Not part of the tests: it needs the bench build, and installs keepassxc with apt-get when it is
# missing.
#   bench/ls_pair.sh [RECORDS] [REPETITIONS]
set -euo pipefail
cd "$(dirname "$0")/.."
records=${1:-100000}
reps=${2:-5}
password=pair-password
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

command -v keepassxc-cli >/dev/null ||
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q keepassxc >/dev/null
scripts/build bench >/dev/null
cli=build-bench/tessarin-cli
build-bench/bench/make_ls_pair "$records" "$password" "$work/TessarinDatabase.tdb" "$work/entries.xml"
# The weakest key derivation keepassxc-cli allows: the shortest decryption time it accepts
# (100 ms), for which it picks AES-KDF with the rounds that take that long.
printf '%s\n%s\n' "$password" "$password" |
    keepassxc-cli import -q -p -t 100 "$work/entries.xml" "$work/pair.kdbx"
printf '%s\n' "$password" | keepassxc-cli db-info -q "$work/pair.kdbx" | grep -E 'KDF|entries'
ls -l "$work/TessarinDatabase.tdb" "$work/pair.kdbx"

# Both tools must list every record.
ours=$(printf '%s\n' "$password" | "$cli" --db "$work/TessarinDatabase.tdb" ls | wc -l)
theirs=$(printf '%s\n' "$password" | keepassxc-cli ls -q -R -f "$work/pair.kdbx" | grep -vc '/$')
echo "rows: tessarin-cli $((ours - 1)) (plus a header line), keepassxc-cli $theirs entries"

# One measured run: "name seconds peak-KiB". /usr/bin/time gives the peak; the clock is read to the
# millisecond around it, since its own figure has ten.
measure() {
    local name=$1 start end
    shift
    start=$(date +%s%N)
    printf '%s\n' "$password" | /usr/bin/time -f "%M" -o "$work/time" "$@" >/dev/null
    end=$(date +%s%N)
    echo "$name $(awk -v ns=$((end - start)) 'BEGIN { printf "%.4f", ns / 1e9 }') $(cat "$work/time")"
}

for ((i = 1; i <= reps; i++)); do
    measure keepassxc keepassxc-cli ls -q -R -f "$work/pair.kdbx"
    measure ls "$cli" --db "$work/TessarinDatabase.tdb" ls
    measure ls-sort-field "$cli" --db "$work/TessarinDatabase.tdb" ls --sort 3
    measure ls-find "$cli" --db "$work/TessarinDatabase.tdb" ls --find qZ7
    measure ls-json "$cli" --db "$work/TessarinDatabase.tdb" ls --json
    measure info "$cli" --db "$work/TessarinDatabase.tdb" info
done | tee "$work/runs"

# Medians per command, and the ratios to keepassxc-cli and to loading the file alone (info).
. bench/medians.sh
awk "$medians_awk"'
    END {
        kt = median(t["keepassxc"]); km = median(m["keepassxc"]); it = median(t["info"])
        printf "%-14s %8s %10s %10s %12s %10s\n", "command", "seconds", "peak MiB", "x faster",
            "x memory", "x info"
        for (name in t) {
            s = median(t[name]); p = median(m[name])
            printf "%-14s %8.3f %10.1f %10.1f %12.3f %10.2f\n", name, s, p / 1024, kt / s, p / km,
                s / it
        }
    }' "$work/runs"
