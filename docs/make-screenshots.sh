#!/usr/bin/env bash
# Takes the screenshots in docs/ (and the help's in help/) from the built
# program on a headless desktop, its COM2 on the simulated receiver: a first
# start without commands, then the window, help and dialog with commands, a
# command's variant for an application, and the tray icon with the port open
# and closed. Run it as
#   scripts/xstack docs/make-screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${TAVREL_TEST_BUILD:-$root/build-test}}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-shots.XXXXXX")
pids=()
cleanup() {
    local i
    exec 3>&- 2>/dev/null || true
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Polls a command until it succeeds; fails after about ten seconds.
wait_for() {
    local i
    for ((i = 0; i < 200; i++)); do
        if "$@" >/dev/null 2>&1; then return 0; fi
        sleep 0.05
    done
    echo "make-screenshots: gave up waiting for: $*" >&2
    exit 1
}

ln "$build/tavrel" "$work/tavrel" 2>/dev/null || cp "$build/tavrel" "$work/tavrel"
cp -r "$root/help" "$work/help"
printf '[Config]\r\nSonido=0\r\n[Ports]\r\nCOM2=%s\r\n' "$work/ttyIR" >"$work/tavrel.ini"
printf '%s\r\n' '[Config]' 'Puerto=2' 'NumComandos=7' \
    '[Comandos]' '1=TV' '2=Power' '3=Volume up' '4=Volume down' '5=Teletext' '6=Radio' '7=Next station' \
    '[1]' 'Level=0' \
    '[2]' 'Level=1' 'Codigo=0A1F3C0A1F3C' \
    '[3]' 'Level=1' 'Codigo=0A2F3C0A2F3C' \
    '[3.1]' 'Application=firefox' 'Title=YouTube' $'0=\xA1SendKeys\xA1NNNE13' \
    '[3.2]' 'Application=mpv' $'0=\xA1SendKeys\xA1NNNN0' \
    '[4]' 'Level=1' 'Codigo=0A3F3C0A3F3C' \
    '[5]' 'Level=1' 'Activado=0' 'Codigo=0A4F3C0A4F3C' \
    '[6]' 'Level=0' \
    '[7]' 'Level=1' >"$work/vorkumel.ini"

# A first start: a program directory of its own with no commands file, its
# COM2 on the simulated receiver as well.
mkdir "$work/first"
ln "$build/tavrel" "$work/first/tavrel" 2>/dev/null || cp "$build/tavrel" "$work/first/tavrel"
cp -r "$root/help" "$work/first/help"
printf '[Config]\r\nSonido=0\r\n[Ports]\r\nCOM2=%s\r\n' "$work/ttyIR" >"$work/first/tavrel.ini"

# irsim reads its script from a pipe held open here, to press when asked.
mkfifo "$work/irsim.in"
"$build/tools/irsim/tavrel-irsim" --link "$work/ttyIR" --log "$work/irsim.log" <"$work/irsim.in" &
pids+=($!)
exec 3>"$work/irsim.in"
wait_for test -e "$work/ttyIR"

# Starts the program of a directory in the background.
start_tavrel() {
    (cd "$1" && exec env -u DBUS_SESSION_BUS_ADDRESS ASAN_OPTIONS=detect_leaks=0 ./tavrel \
        >"$1/tavrel.out" 2>&1) &
    pids+=($!)
}

# A window with its frame, into docs/NAME.png (DIR/NAME.png when DIR is given).
shoot() {
    local frame x y w h
    frame=$(xwininfo -id "$1" -tree | awk '/Parent window id/ {print $4}')
    eval "$(xwininfo -id "$frame" |
        awk '/Absolute upper-left X/ {print "x=" $4} /Absolute upper-left Y/ {print "y=" $4}
             /Width/ {print "w=" $2} /Height/ {print "h=" $2}')"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$root/${3:-docs}/$2.png"
}

# The first start: the guide in the tree's place. Then that program ends, as
# only one Tavrel runs per display.
start_tavrel "$work/first"
wait_for xdotool search --onlyvisible --name 'Tavrel 3\.0'
window=$(xdotool search --onlyvisible --name 'Tavrel 3\.0' | head -1)
sleep 0.5
shoot "$window" first-start
xdotool windowactivate --sync "$window" key alt+f x
wait_for sh -c "! xdotool search --onlyvisible --name 'Tavrel 3\.0'"
sleep 0.5

# The demo commands; irsim presses "Volume up" once the port is open.
start_tavrel "$work"
wait_for grep -q rx "$work/irsim.log"
printf 'wait 500\npress 0A2F3C\n' >&3

# Editing mode, after the press has selected "Volume up"; the frame included.
wait_for xdotool search --onlyvisible --name 'Tavrel 3\.0'
window=$(xdotool search --onlyvisible --name 'Tavrel 3\.0' | head -1)
wait_for grep -q burst "$work/irsim.log"
sleep 0.5
shoot "$window" main-window-editing

# F1 with the command tree focused: the help window at that topic.
xdotool key --window "$window" F1
wait_for xdotool search --onlyvisible --name 'Tavrel 3\.0 help'
help=$(xdotool search --onlyvisible --name 'Tavrel 3\.0 help' | head -1)
sleep 0.5
shoot "$help" help-window
# A real key, not one sent to the window: after a sent Escape closed it, Qt
# took the next real Escape (the settings dialog's below) for a repeat of it.
xdotool windowactivate --sync "$help" key Escape
sleep 0.3

# File > Settings...: the configuration dialog, turned to its port tab.
xdotool windowactivate --sync "$window" key alt+f s
wait_for xdotool search --onlyvisible --name 'Program configuration'
dialog=$(xdotool search --onlyvisible --name 'Program configuration' | head -1)
sleep 0.5
xdotool mousemove --window "$dialog" 72 178 click 1
sleep 0.3
shoot "$dialog" configuration-dialog
xdotool key Escape
sleep 0.5

# The action editor, the same command's action being edited at the keyboard:
# tap key, PgDn picked from the key list, with Ctrl.
xdotool windowactivate --sync "$window"
for key in alt+t Tab Down Down Down Down Down Down Down Down Tab Tab space; do
    xdotool key "$key"
    sleep 0.1
done
sleep 0.5
shoot "$window" action-editor

# The same command's variant for mpv, chosen in the row above the actions
# (Application, then the last item), for the help's topic on variants.
xdotool key alt+i End
sleep 0.5
shoot "$window" variants help

# Running mode (Cancel): the icon docked in the tray host's panel at the top
# right, shown four times its size.
xdotool key --window "$window" alt+c
wait_for xdotool search --onlyvisible --class tavrel
sleep 0.5
import -window root -crop 40x24+1240+0 +repage -filter point -resize 400% \
    "$root/docs/tray-icon.png"

# The port closed from the icon's menu (its first item): the greyed icon.
icon=$(xdotool search --onlyvisible --class tavrel | head -1)
xdotool mousemove --window "$icon" 8 8 click 3
sleep 0.5
xdotool key Down Return
sleep 0.5
import -window root -crop 40x24+1240+0 +repage -filter point -resize 400% \
    "$root/docs/tray-icon-inactive.png"
echo "make-screenshots: docs/first-start.png, docs/main-window-editing.png, docs/help-window.png," \
    "docs/configuration-dialog.png, docs/action-editor.png, help/variants.png," \
    "docs/tray-icon.png and docs/tray-icon-inactive.png written"
