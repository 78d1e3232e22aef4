#!/usr/bin/env bash
# tavrel --demo as the package installs it: the window comes up, a press of
# the simulated receiver is recognised, SIGTERM ends the program and its
# receiver, and the run's directory is gone. The user's configuration (files
# of their own in place) is the same byte for byte afterwards.
# Usage: package_demo_test.sh PACKAGE_BUILD_DIR
set -uo pipefail
build=$1
for tool in dpkg-deb xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/install-deps test installs it)"
        exit 77
    fi
done
if [[ -z "${DISPLAY:-}" ]]; then
    [[ -n "${TAVREL_REQUIRE_X:-}" ]] && { echo "FAIL: no X display" >&2; exit 1; }
    echo "SKIP: the demo needs an X display (run under scripts/xstack)"
    exit 77
fi
shopt -s nullglob
debs=("$build"/packages/tavrel_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "FAIL: expected one package, found ${debs[*]}" >&2; exit 1; }

source "$(dirname "$0")/checks.sh" demo

dpkg-deb -x "${debs[0]}" "$tmp/root"
# A user who already has Tavrel set up, on another port and with a log.
mkdir -p "$tmp/home" "$tmp/config/tavrel" "$tmp/config/autostart" "$tmp/run"
chmod 700 "$tmp/run"
printf '[Files]\r\nLogFile=mine.log\r\n[Ports]\r\nCOM2=/dev/ttyUSB7\r\n' >"$tmp/config/tavrel/tavrel.ini"
printf '[Config]\r\nPuerto=2\r\nNumComandos=0\r\n' >"$tmp/config/tavrel/vorkumel.ini"
printf 'Mine,Play\r\n' >"$tmp/config/tavrel/mine.log"
# Caches that Qt and fontconfig keep under HOME are not the user's files.
snapshot() {
    (cd "$tmp" && find home config -path home/.cache -prune -o -printf '%p %m %s\n' \
        -type f -exec md5sum {} + | sort)
}
before=$(snapshot)

env -u DBUS_SESSION_BUS_ADDRESS -u QT_QPA_PLATFORM TAVREL_TRACE=1 HOME="$tmp/home" \
    XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run" \
    "$tmp/root/usr/bin/tavrel" --demo >"$tmp/out" 2>&1 &
pid=$!
wait_for xdotool search --onlyvisible --name '^Tavrel' || fail "the demo showed no window"
wait_for grep -q 'recognised "Demo remote/Hello"' "$tmp/out" || fail "no press arrived"
receiver=$(cat "/proc/$pid/task/$pid/children" 2>/dev/null)
[[ -n "$receiver" ]] || fail "no simulated receiver runs"

kill -TERM "$pid"
wait "$pid"
rc=$?
pid=""
[[ $rc -eq 0 ]] || fail "the demo ended with $rc"
for child in $receiver; do
    [[ ! -e /proc/$child ]] || fail "the simulated receiver ($child) outlived the demo"
done
left=$(ls -A "$tmp/run")
[[ -z "$left" ]] || fail "the run's directory was left: $left"
[[ "$(snapshot)" == "$before" ]] || fail "the user's files changed: $(diff <(echo "$before") <(snapshot))"
if [[ $failures -gt 0 ]]; then
    cat "$tmp/out" >&2
    exit 1
fi
echo "demo from the package: OK"
