#!/usr/bin/env bash
# Loads the bash completion as bash-completion does and checks what it offers for a few command
# lines. Usage: bash_completion_test.sh COMPLETION_FILE PROGRAM. Exit 77 (skipped) without
# bash-completion (scripts/install-deps.sh installs it).
set -u
completion=$1
program=$2
main=/usr/share/bash-completion/bash_completion
[ -r "$main" ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck source=/dev/null
source "$main"
# shellcheck source=/dev/null
source "$completion"

failures=0
# offers "WORD WORD ..." EXPECTED...: completes the last word as readline would split the line
# (COMP_WORDBREAKS keeps "=" a word of its own) and checks that each EXPECTED is offered, and
# that nothing is offered when EXPECTED is "-".
offers() {
    local line=$1
    shift
    read -r -a COMP_WORDS <<<"${line//=/ = }"
    [[ $line == *" " || $line == *= ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]:-}
    # compopt speaks only inside a completion that bash itself runs.
    _speedmetrix "$program" "$cur" "$prev" 2>/dev/null
    local want
    for want in "$@"; do
        if [[ $want == - ]]; then
            [[ ${#COMPREPLY[@]} -eq 0 ]] && continue
        elif printf '%s\n' "${COMPREPLY[@]}" | grep -qxF -- "$want"; then
            continue
        fi
        echo "FAIL: '$line' offers [${COMPREPLY[*]}], not '$want'"
        failures=$((failures + 1))
    done
}

offers "speedmetrix --te" --tests
offers "speedmetrix --ver" --version
offers "speedmetrix --batch --" --repetitions --drive --threads --save --compare --json --report
offers "speedmetrix --tests sm" small-files
offers "speedmetrix --tests integer,fl" integer,float
offers "speedmetrix --tests=me" memory
offers "speedmetrix --batch --tests=memory,i" memory,integer
offers "speedmetrix --tests 2" 2d
offers "speedmetrix --threads a" all
offers "speedmetrix --repetitions " -
offers "speedmetrix --report a.json --h" --html --help
offers "speedmetrix --drive /us" /usr
# The drive letters are the program's own list.
letters=$("$program" --list-drives | cut -f1)
[ -n "$letters" ] || { echo "FAIL: --list-drives printed no drive"; failures=$((failures + 1)); }
for letter in $letters; do
    offers "speedmetrix --drive " "$letter"
done
offers "speedmetrix --drive c" c

if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "bash completion: all offered"
