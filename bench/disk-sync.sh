#!/usr/bin/env bash
# The disk tests with and without --sync on a folder, beside dd with O_DIRECT for the same
# sizes as the reference of what the device does. Prints one table.
#   bench/disk-sync.sh <speedmetrix executable> <folder> [repetitions]
# The folder is drive c (the home folder) of the run; use one on the disk to measure, and one on
# tmpfs (/dev/shm/...) for the page cache alone.
set -euo pipefail
program="$(realpath "$1")"
folder="$2"
repetitions="${3:-3}"
mkdir -p "$folder"

rate() { # the rate of one test from the batch run's JSON
    python3 -c 'import json,sys; d=json.load(sys.stdin); print("%.0f" % [t["rate"] for t in d["tests"] if t["test"]==sys.argv[1]][0])' "$1"
}
run() { # test, file count, KB, extra option
    HOME="$folder" QT_QPA_PLATFORM=offscreen "$program" --batch --json --drive=c --tests="$1" \
        --repetitions="$repetitions" "--${1}=$2" "--${1%s}-kb=$3" ${4:+"$4"} 2>/dev/null | rate "$1"
}
# dd writes count blocks of bs with O_DIRECT, then reads them back with O_DIRECT: KB per second
# over both passes, the data counted once as the disk tests count it.
dd_rate() { # count, KB
    local f="$folder/dd-test.bin" t0 t1
    t0=$(date +%s%N)
    dd if=/dev/zero of="$f" bs="$2K" count="$1" oflag=direct conv=fsync status=none
    dd if="$f" of=/dev/null bs="$2K" iflag=direct status=none
    t1=$(date +%s%N)
    rm -f "$f"
    echo $(( $1 * $2 * 1000000000 / (t1 - t0) ))
}

printf '%-28s %14s %14s %14s\n' "test (KB/s)" "page cache" "--sync" "dd O_DIRECT"
printf '%-28s %14s %14s %14s\n' "small files 500 x 4 KB" "$(run small-files 500 4)" \
    "$(run small-files 500 4 --sync)" "$(dd_rate 500 4 2>/dev/null || echo n/a)"
printf '%-28s %14s %14s %14s\n' "large files 10 x 10240 KB" "$(run large-files 10 10240)" \
    "$(run large-files 10 10240 --sync)" "$(dd_rate 10 10240 2>/dev/null || echo n/a)"
