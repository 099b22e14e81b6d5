#!/usr/bin/env bash
# The installed desktop entry and metainfo validate, the icons are all there, and the MIME
# package makes *.wm files Windows Media video without claiming *.dat.
# Usage: desktop_files_test.sh PREFIX   (the staged installation)
set -uo pipefail
prefix=${1:?prefix}
id=io.github.peltose.PeltoSE
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "metainfo does not validate"
grep -qx 'Exec=peltose %F' "$prefix/share/applications/$id.desktop" || fail "Exec line"
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ "$(identify -format '%wx%h' "$png" 2>/dev/null)" = "${size}x${size}" ] || fail "icon $size missing or wrong size"
done

# Every extension of the open dialog has a type the entry lists (.dat: Video CD files by content).
work=$(mktemp -d /tmp/pelto-mime.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/share/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$prefix/share/mime/packages/$id.xml" "$work/share/mime/packages/"
update-mime-database "$work/share/mime" >/dev/null 2>&1 || fail "the MIME package does not compile"
types=$(sed -n 's/^MimeType=//p' "$prefix/share/applications/$id.desktop" | tr ';' '\n')
type_of() { XDG_DATA_DIRS="$work/share" XDG_DATA_HOME="$work/none" gio info -a standard::content-type "$1" |
            sed -n 's/.*standard::content-type: //p'; }
for ext in mp3 avi mpeg mpg wav au mid midi wma wmv wm asf; do
    printf '\x00\x01\x02\x03' >"$work/some.$ext"  # an empty file would read as text
    t=$(type_of "$work/some.$ext")
    grep -qx "$t" <<<"$types" || fail "*.$ext is $t, which the desktop entry does not list"
done
[ "$(type_of "$work/some.wm")" = video/x-ms-wm ] || fail "*.wm is not video/x-ms-wm"
printf 'RIFF\x10\x00\x00\x00CDXAfmt ' >"$work/AVSEQ01.DAT"
[ "$(type_of "$work/AVSEQ01.DAT")" = video/x-cdxa ] || fail "a Video CD file is not recognised by content"
printf '\x00\x01\x02\x03' >"$work/notes.dat"
[ "$(type_of "$work/notes.dat")" != video/x-cdxa ] || fail "*.dat claimed by name"
echo PASS
