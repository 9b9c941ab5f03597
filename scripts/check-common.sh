# Shared by the scripted checks (sourced): `check NAME CMD...` runs a command as one named
# check and counts it; `check_summary NAME` prints "NAME: N passed, N failed", the line CI
# adds up, and returns non-zero when a check failed.
passed=0
failed=0
check() {
    local name="$1"
    shift
    if "$@"; then
        passed=$((passed + 1))
        echo "ok: $name"
    else
        failed=$((failed + 1))
        echo "FAILED: $name"
    fi
}
check_summary() {
    echo "$1: $passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
