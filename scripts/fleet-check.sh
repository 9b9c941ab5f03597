#!/usr/bin/env bash
# Runs the fleet playbook of the package's examples against two hosts on this machine (local
# connection, different names) and checks that the report names both.
#   scripts/fleet-check.sh <speedmetrix executable>
# Exit 77 (skipped) when ansible-playbook is missing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "$1")"
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is missing: skipped"; exit 77; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Ansible keeps its own files under HOME; the program's settings come from beside it.
export HOME="$work/home" ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 \
    ANSIBLE_LOCAL_TEMP="$work/ansible-tmp" ANSIBLE_REMOTE_TEMP="$work/ansible-tmp" \
    ANSIBLE_PYTHON_INTERPRETER=auto_silent ANSIBLE_PIPELINING=1 \
    QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"
cat >"$work/hosts.ini" <<INI
[lab]
bench-one ansible_connection=local
bench-two ansible_connection=local
INI

fail() { echo "FAILED: $*"; exit 1; }
ansible-playbook -i "$work/hosts.ini" "$root/resources/examples/speedmetrix-fleet.yml" \
    -e speedmetrix_command="$program" -e speedmetrix_report_command="$program" \
    -e speedmetrix_results="$work/results" -e speedmetrix_tests=integer,float \
    -e '{"speedmetrix_options": ["--integer-loops=1", "--float-loops=1"]}' \
    >"$work/playbook.log" 2>&1 || { cat "$work/playbook.log"; fail "the playbook failed"; }

for host in bench-one bench-two; do
    grep -q '"format": "speedmetrix-batch"' "$work/results/$host.json" || fail "no JSON of $host"
    grep -q "results/$host.json" "$work/results/report.html" || fail "the page does not name $host"
done
# A header and two tests, each with a column per host.
[ "$(head -n 1 "$work/results/report.csv" | tr -cd ',' | wc -c)" -eq 2 ] || fail "not two columns"
grep -q '^Integer (MIops/sec),[0-9]' "$work/results/report.csv" || fail "no integer rates"
echo "the playbook ran on two hosts and the report names both"
