# Sourced by the install tests: a scratch folder in $tmp, removed at exit
# together with the program started as $pid; fail to count a failure and go
# on; wait_for to retry a command for up to 20 s.
# Usage: source checks.sh NAME   (NAME goes into the scratch folder's name)
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-$1.XXXXXX")
pid=""
cleanup() {
    if [[ -n "$pid" ]]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
wait_for() {
    local i
    for ((i = 0; i < 400; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    return 1
}
