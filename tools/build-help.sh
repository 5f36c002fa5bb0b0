#!/usr/bin/env bash
# Builds the help file Ordavi.CHM from the sources in help/ and puts it into
# OUTDIR (the folder of Ordavi.exe).
#
#   bash tools/build-help.sh OUTDIR
#
# The sources are UTF-8. The HTML Help viewer reads the contents and the
# index in the code page of the project's language (0x804, code page 936),
# so every page, the contents, the index and the project are turned into GBK
# here, and the pages declare charset=gb2312. The tray icons shown on the
# first page are taken from the program's own icon files, the pictures of the
# windows from docs/pictures.
set -euo pipefail

if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SRC="$ROOT/help"
RES="$ROOT/app/win32/res"
mkdir -p "$1"
OUT="$(cd "$1" && pwd)"

missing=()
command -v chmcmd >/dev/null 2>&1 || missing+=("chmcmd (Debian package fp-utils-3.2.2)")
command -v iconv >/dev/null 2>&1 || missing+=("iconv (Debian package libc-bin)")
command -v icotool >/dev/null 2>&1 || missing+=("icotool (Debian package icoutils)")
if [ ${#missing[@]} -gt 0 ]; then
  printf 'build-help.sh: cannot build Ordavi.CHM, missing: %s\n' "${missing[@]}" >&2
  echo "build-help.sh: run tools/install-deps.sh as root" >&2
  exit 1
fi

STAGE="$OUT/help-stage"
rm -rf "$STAGE"
mkdir -p "$STAGE"
trap 'rm -rf "$STAGE"' EXIT

for f in "$SRC"/*.html "$SRC"/*.hhc "$SRC"/*.hhk "$SRC"/*.hhp; do
  name="$(basename "$f")"
  # iconv stops with an error at a character GBK does not have.
  sed 's/charset=utf-8/charset=gb2312/' "$f" | iconv -f UTF-8 -t GBK >"$STAGE/$name"
done
cp "$SRC/style.css" "$STAGE/"
icotool -x --width=32 --height=32 -o "$STAGE/icon-main.png" "$RES/mainicon.ico"
icotool -x --width=32 --height=32 -o "$STAGE/icon-on.png" "$RES/enashut.ico"
icotool -x --width=32 --height=32 -o "$STAGE/icon-off.png" "$RES/disshut.ico"
# The windows as the README shows them, made by the readme_pictures scenario
# (tools/readme-pictures.sh).
for picture in settings task-editor countdown tray-menu run-history; do
  cp "$ROOT/docs/pictures/$picture.png" "$STAGE/"
done

log="$STAGE/chmcmd.log"
if ! (cd "$STAGE" && chmcmd --html-scan Ordavi.hhp >"$log" 2>&1) || [ ! -s "$STAGE/Ordavi.CHM" ] ||
  grep -qiE '^(error|warning)' "$log"; then
  echo "build-help.sh: chmcmd failed:" >&2
  cat "$log" >&2
  exit 1
fi
mv -f "$STAGE/Ordavi.CHM" "$OUT/Ordavi.CHM"
echo "build-help.sh: $OUT/Ordavi.CHM ($(stat -c %s "$OUT/Ordavi.CHM") bytes)"
