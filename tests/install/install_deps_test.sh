#!/usr/bin/env bash
# scripts/install-deps for a user who is not root and has no sudo, or one
# that refuses the user: with everything present it succeeds without a word;
# with a package missing it prints the apt-get line to run as root and fails.
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
# Checks the exit code and what the script said; with a PATH given (sudo's
# own complaints come first) only the end of what it said.
check() {
    local expected_rc=$1 expected_output=$2 path=${PATH_FOR_CHECK:-$tmp/bin}
    shift 2
    local output rc
    output=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i PATH="$path" \
        bash "$source/scripts/install-deps" "$@" 2>&1 </dev/null)
    rc=$?
    [[ -n "${PATH_FOR_CHECK:-}" ]] && output=$(tail -n "$(wc -l <<<"$expected_output")" <<<"$output")
    if [[ $rc -ne $expected_rc || "$output" != "$expected_output" ]]; then
        echo "FAIL: install-deps $* ended with $rc and said:" >&2
        echo "$output" >&2
        failures=$((failures + 1))
    fi
}
check 0 "" run
check 1 "install-deps: packages are missing; install them as root with
  apt-get install --no-install-recommends tavrel-no-such-package" run tavrel-no-such-package
# sudo is there, but this user may not use it.
if command -v sudo >/dev/null; then
    mkdir "$tmp/sudo-bin"
    ln -s "$(command -v sudo)" "$tmp/sudo-bin/sudo"
    PATH_FOR_CHECK="$tmp/bin:$tmp/sudo-bin" check 1 \
        "install-deps: installing through sudo did not work; install them as root with
  apt-get install --no-install-recommends tavrel-no-such-package" run tavrel-no-such-package
else
    echo "sudo is not installed: the check of a user whom sudo refuses is left out"
fi
exit $((failures > 0))
