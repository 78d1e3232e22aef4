#!/usr/bin/env bash
# scripts/install-deps for a user who is neither root nor has sudo: with
# everything present it succeeds without a word; with a package missing it
# prints the apt-get line to run as root and fails.
# Usage: install_deps_test.sh SOURCE_DIR
set -uo pipefail
source=$1
if [[ $(id -u) -ne 0 ]] || ! command -v setpriv >/dev/null; then
    echo "SKIP: needs root and setpriv to run as nobody"
    exit 77
fi
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-deps.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
# Only what the script runs is on the PATH: no sudo, wherever one is installed.
mkdir "$tmp/bin"
for tool in bash dpkg-query id; do
    ln -s "$(command -v "$tool")" "$tmp/bin/$tool"
done
chmod 755 "$tmp"

failures=0
check() {
    local expected_rc=$1 expected_output=$2
    shift 2
    local output rc
    output=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH="$tmp/bin" \
        bash "$source/scripts/install-deps" "$@" 2>&1)
    rc=$?
    if [[ $rc -ne $expected_rc || "$output" != "$expected_output" ]]; then
        echo "FAIL: install-deps $* ended with $rc and said:" >&2
        echo "$output" >&2
        failures=$((failures + 1))
    fi
}
check 0 "" run
check 1 "install-deps: packages are missing; install them as root with
  apt-get install --no-install-recommends tavrel-no-such-package" run tavrel-no-such-package
exit $((failures > 0))
