#!/usr/bin/env bash
# What `cmake --install` and `cpack` make of the build: a working program tree under any prefix
# whose menu entry and metainfo the desktop's own validators accept, and a Debian package that
# holds the same tree under /usr and declares what it needs.
#
# Usage: install-check.sh BUILD-DIR
set -euo pipefail

build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/any prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -x "$prefix/bin/vantomel" ] || fail "no vantomel command"
[ "$(readlink -f "$prefix/bin/vantomel")" = "$(readlink -f "$prefix/lib/vantomel/vantomel")" ] ||
  fail "the command does not lead to the program directory"
for file in asapi.dll Preferences.ini Profiles; do
  [ -e "$prefix/lib/vantomel/$file" ] || fail "no $file in the program directory"
done
ls "$prefix/lib/vantomel/Profiles/"*.bpf >/dev/null || fail "no profiles"
# The manual, wherever the build's program directory has one.
if [ -e "$build/bin/help/index.html" ]; then
  [ -f "$prefix/lib/vantomel/help/index.html" ] || fail "the manual is not installed"
fi

[ -f "$prefix/share/man/man1/vantomel.1" ] || fail "no manual page"
# The command line needs no display.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/vantomel" --version >/dev/null ||
  fail "vantomel --version did not end well"

entry=org.vantomel.Vantomel
desktop-file-validate "$prefix/share/applications/$entry.desktop" || fail "desktop entry refused"
appstreamcli validate --no-net "$prefix/share/metainfo/$entry.metainfo.xml" ||
  fail "metainfo refused"
grep -q '<project_license>GPL-2.0-or-later</project_license>' \
  "$prefix/share/metainfo/$entry.metainfo.xml" || fail "the metainfo names no licence"
icons="$prefix/share/icons/hicolor"
[ -f "$icons/scalable/apps/$entry.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$icons/${size}x${size}/apps/$entry.png" ] || fail "no ${size}x${size} icon"
done

(cd "$build" && cpack -B "$work/package" >/dev/null) || fail "cpack failed"
deb=$(ls "$work/package"/vantomel_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libmediainfo0v5 libavformat59 qt6-qpa-plugins libqt6svg6; do
  [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/vantomel ./usr/lib/vantomel/vantomel ./usr/lib/vantomel/asapi.dll \
  ./usr/share/man/man1/vantomel.1 ./usr/share/doc/vantomel/copyright \
  "./usr/share/applications/$entry.desktop" "./usr/share/metainfo/$entry.metainfo.xml"; do
  grep -qF " $path" <<<"$contents" || fail "the package lacks $path"
done
echo "install tree and package: all checks passed"
