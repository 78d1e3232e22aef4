#!/usr/bin/env bash
# Makes the Debian package of the build with cpack and checks what it holds
# and what it depends on. Usage: package_test.sh BUILD_DIR
set -uo pipefail
build=$1
for tool in dpkg-deb dpkg-shlibdeps cpack; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing (scripts/install-deps package installs it)"
        exit 77
    fi
done
tmp=$(mktemp -d "${TMPDIR:-/tmp}/tavrel-package.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log" >&2; echo "FAIL: cpack" >&2; exit 1; }
shopt -s nullglob
debs=("$tmp"/tavrel_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "FAIL: expected one package, found ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}

failures=0
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/tavrel ./usr/share/tavrel/help/index.html \
            ./usr/share/applications/org.tavrel.Tavrel.desktop \
            ./usr/share/metainfo/org.tavrel.Tavrel.metainfo.xml \
            ./usr/share/icons/hicolor/scalable/apps/tavrel.svg \
            ./usr/share/icons/hicolor/48x48/apps/tavrel.png; do
    grep -qxF "$path" <<<"$contents" || { echo "FAIL: $path is not in the package" >&2; failures=1; }
done
outside=$(grep -v -e '^\./$' -e '^\./usr/' <<<"$contents")
[[ -z "$outside" ]] || { echo "FAIL: files outside /usr: $outside" >&2; failures=1; }

depends=$(dpkg-deb --field "$deb" Depends)
for library in libqt6widgets6 libqt6network6 libx11-6 libxtst6; do
    grep -q "$library" <<<"$depends" || { echo "FAIL: no dependency on $library: $depends" >&2; failures=1; }
done
[[ "$(dpkg-deb --field "$deb" Package)" == tavrel ]] || { echo "FAIL: package name" >&2; failures=1; }
exit "$failures"
