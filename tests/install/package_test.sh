#!/usr/bin/env bash
# The .deb: built by CPack from this build tree, lintian finds no error, the files land where the
# desktop looks, and the dependencies name the shared libraries and the media plugins.
# Usage: package_test.sh BUILD_DIR
set -uo pipefail
build=$(realpath "${1:?build dir}")
work=$(mktemp -d /tmp/pelto-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$work"/peltose_*_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no package"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian errors"; }
cat "$work/lintian.log"
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/peltose ./usr/lib/x86_64-linux-gnu/peltose/libptSlider.so ./usr/lib/x86_64-linux-gnu/peltose/libgstpeltocodecs.so ./usr/share/peltose/demo.mpg \
    ./usr/share/applications/io.github.peltose.PeltoSE.desktop ./usr/share/metainfo/io.github.peltose.PeltoSE.metainfo.xml \
    ./usr/share/mime/packages/io.github.peltose.PeltoSE.xml ./usr/share/icons/hicolor/scalable/apps/io.github.peltose.PeltoSE.svg \
    ./usr/share/icons/hicolor/48x48/apps/io.github.peltose.PeltoSE.png ./usr/share/doc/peltose/copyright; do
    grep -qxF "$f" <<<"$files" || fail "$f not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for d in libqt6widgets6 libqt6dbus6 libgstreamer1.0-0 libswscale6 libavcodec59 gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
    grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
for r in gstreamer1.0-plugins-ugly gstreamer1.0-libav fluid-soundfont-gm; do
    grep -q "$r" <<<"$recommends$depends" || fail "neither Depends nor Recommends name $r"
done
echo PASS
