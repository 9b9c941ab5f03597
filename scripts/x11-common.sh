# Shared by the X11 check scripts (sourced): the tools they need, and a scratch folder whose
# background processes (listed in `pids`) are ended and which is removed on exit.
# Usage: require_tools TOOL...   (exits 77, "skipped", when one is missing)
#        start_scratch            (sets `work` and `pids`, installs the exit trap)

require_tools() {
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "skipped: $tool is not installed"
            exit 77
        fi
    done
}

start_scratch() {
    work=$(mktemp -d)
    pids=()
    trap cleanup_scratch EXIT
}

cleanup_scratch() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
