#!/usr/bin/env bash
# Checks the Debian package that scripts/package made: what it holds, what it
# depends on, lintian's verdict and the hardening of its programs.
# Usage: package_test.sh PACKAGE_BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
source=$2
for tool in dpkg-deb lintian hardening-check; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/install-deps test installs it)"
        exit 77
    fi
done
shopt -s nullglob
debs=("$build"/packages/tavrel_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "FAIL: expected one package, found ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
access_debs=("$build"/packages/tavrel-uinput-access_*.deb)
[[ ${#access_debs[@]} -eq 1 ]] ||
    { echo "FAIL: expected one uinput access package, found ${access_debs[*]}" >&2; exit 1; }
access_deb=${access_debs[0]}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
expected=(
    ./usr/bin/tavrel ./usr/bin/tavrel-irsim ./usr/share/tavrel/help/index.html
    ./usr/share/applications/org.tavrel.Tavrel.desktop
    ./usr/share/metainfo/org.tavrel.Tavrel.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/tavrel.svg
    ./usr/share/icons/hicolor/48x48/apps/tavrel.png
    ./usr/share/doc/tavrel/copyright ./usr/share/doc/tavrel/changelog.Debian.gz
    ./usr/share/man/man1/tavrel.1.gz ./usr/share/man/man1/tavrel-irsim.1.gz
)
uinput_rule=./usr/lib/udev/rules.d/70-tavrel-uinput.rules
for rules in "$source"/packaging/udev/*.rules; do
    path=./usr/lib/udev/rules.d/$(basename "$rules")
    [[ "$path" == "$uinput_rule" ]] || expected+=("$path")
done
for path in "${expected[@]}"; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
# /dev/uinput for every program of the user at the screen is a package of its own.
grep -qxF "$uinput_rule" <<<"$contents" && fail "tavrel holds the uinput rule"
access_contents=$(dpkg-deb --contents "$access_deb" | awk '{print $6}')
for path in "$uinput_rule" ./usr/share/doc/tavrel-uinput-access/copyright \
    ./usr/share/doc/tavrel-uinput-access/changelog.Debian.gz; do
    grep -qxF "$path" <<<"$access_contents" || fail "$path is not in $(basename "$access_deb")"
done
[[ "$(dpkg-deb --field "$access_deb" Architecture)" == all ]] ||
    fail "tavrel-uinput-access is not Architecture: all"
outside=$(grep -v -e '^\./$' -e '^\./usr/' <<<"$contents"$'\n'"$access_contents")
[[ -z "$outside" ]] || fail "files outside /usr: $outside"

field() { dpkg-deb --field "$deb" "$1"; }
depends=$(field Depends)
for library in libqt6widgets6 libqt6network6 libx11-6 libxtst6 qt6-qpa-plugins qt6-wayland; do
    grep -q "$library" <<<"$depends" || fail "no dependency on $library: $depends"
done
[[ "$(field Package)" == tavrel ]] || fail "package name $(field Package)"
grep -q tavrel-uinput-access <<<"$(field Recommends)" ||
    fail "tavrel does not recommend tavrel-uinput-access: $(field Recommends)"
[[ "$(field Version)" == 3.0-1 ]] || fail "version $(field Version)"

dpkg-deb -x "$deb" "$tmp/root"
doc=$tmp/root/usr/share/doc/tavrel
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$doc/copyright" || fail "the copyright file is not machine-readable"
zcat "$doc/changelog.Debian.gz" | head -1 | grep -q '^tavrel (3\.0-1) ' ||
    fail "changelog.Debian does not begin with 3.0-1: $(zcat "$doc/changelog.Debian.gz" | head -1)"
grep -q '^TryExec=tavrel$' "$tmp/root/usr/share/applications/org.tavrel.Tavrel.desktop" ||
    fail "the menu entry has no TryExec"
# KWin trusts the program whose full path the entry's Exec names with its
# fake input and window management.
grep -q '^Exec=/usr/bin/tavrel$' "$tmp/root/usr/share/applications/org.tavrel.Tavrel.desktop" ||
    fail "the menu entry does not name /usr/bin/tavrel"
grep -q '^X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management$' \
    "$tmp/root/usr/share/applications/org.tavrel.Tavrel.desktop" ||
    fail "the menu entry asks KWin for no fake input and window management"
"$tmp/root/usr/bin/tavrel-irsim" --help | grep -q '^Usage: tavrel-irsim' ||
    fail "tavrel-irsim does not answer --help"

# The shipped texts describe today's program: every receiver kind, both kinds
# of desktop, no scratch file of a fixed name.
man_page=$(zcat "$tmp/root/usr/share/man/man1/tavrel.1.gz")
grep -n 'temporal\.tmp\|serial infrared\|X display' <<<"$man_page" &&
    fail "the manual page has words of an older Tavrel"
description=$(field Description)
for text in "$man_page" "$description" "$(cat "$tmp/root/usr/share/metainfo/org.tavrel.Tavrel.metainfo.xml")" \
    "$(grep '^Comment=' "$tmp/root/usr/share/applications/org.tavrel.Tavrel.desktop")"; do
    for word in serial kernel 'LIRC daemon' X11 Wayland; do
        grep -q "$word" <<<"$text" || fail "no \"$word\" in: $(head -c 200 <<<"$text")"
    done
done

# Errors and warnings fail; the package's overrides say why the few left are right.
lintian -I -E --pedantic "$deb" "$access_deb" >"$tmp/lintian" 2>&1
cat "$tmp/lintian"
grep -E '^[EW]: ' "$tmp/lintian" >/dev/null && fail "lintian reports errors or warnings"

# Control-flow protection is left out: Debian 12's C start-up files carry no
# IBT/SHSTK note, so no program linked there can have it.
hardening-check --nocfprotection "$tmp/root/usr/bin/tavrel" "$tmp/root/usr/bin/tavrel-irsim" ||
    fail "hardening-check"

exit $((failures > 0))
