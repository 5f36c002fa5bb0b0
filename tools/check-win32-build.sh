#!/usr/bin/env bash
# Checks the shipped 32-bit Ordavi.exe without running it, so that it is
# checked on every machine, also on one that cannot run 32-bit programs:
# a 32-bit Windows GUI program, statically linked (no MinGW runtime DLL among
# its imports), with its icons, button glyphs, version and manifest; and the
# help file Ordavi.CHM beside it, holding every page of help/ with its
# contents and index in GBK; the installer and the portable zip in dist/.
#
#   bash tools/check-win32-build.sh [path/to/Ordavi.exe]
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
EXE="${1:-$ROOT/build/win32/app/win32/Ordavi.exe}"
failures=0
check() {
  local what="$1"
  shift
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; failures=$((failures + 1)); fi
}
[ -f "$EXE" ] || { echo "no such program: $EXE (build the win32 preset first)"; exit 1; }

headers=$(i686-w64-mingw32-objdump -f -p "$EXE")
imports=$(echo "$headers" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr '\n' ' ')
resources=$(wrestool -l "$EXE" 2>/dev/null)
manifest=$(wrestool -x --raw --type=24 "$EXE" 2>/dev/null | tr -d '\r')
echo "imports: $imports"

check "a 32-bit PE (pei-i386)" grep -q 'file format pei-i386' <<<"$headers"
check "a GUI program (subsystem 2)" grep -qE '^Subsystem\s+0+2\s' <<<"$headers"
# The download stays small: the shipped program within 512 KB.
size=$(stat -c %s "$EXE")
echo "Ordavi.exe: $size bytes"
check "Ordavi.exe at most 512 KB (524 288 bytes)" [ "$size" -le 524288 ]
check "no MinGW runtime DLL among the imports" eval '! grep -qiE "libgcc|libstdc|libwinpthread|libssp" <<<"$imports"'
check "only system DLLs imported" eval '! grep -qvixE "(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|rasapi32|shell32|user32|wininet|winmm|ole32|oleaut32|version)\.dll" < <(tr " " "\n" <<<"$imports" | grep .)'
for name in MAINICON ENASHUT DISSHUT; do
  check "icon $name" grep -q -- "--type=14 --name='$name'" <<<"$resources"
done
for name in BITBTN1GLYPH BITBTN2GLYPH; do
  check "glyph $name" grep -q -- "--type=2 --name='$name'" <<<"$resources"
done
check "no test hook in the shipped program" eval '! grep -qa "O.R.D.A.V.I._.T.E.S.T" "$EXE"'
check "version resource" grep -q -- '--type=16 ' <<<"$resources"
VERSION=$(cat "$ROOT/VERSION")
version_texts=$(wrestool -x --raw --type=16 "$EXE" 2>/dev/null | iconv -c -f UTF-16LE -t UTF-8 | tr -s '\0' ' ')
check "version resource: file and product version $VERSION, Chinese description" \
  eval 'grep -q "FileVersion.*$VERSION" <<<"$version_texts" && grep -q "ProductVersion.*$VERSION" <<<"$version_texts" && grep -q "定时任务" <<<"$version_texts"'
check "manifest asks for common controls 6" grep -q 'Microsoft.Windows.Common-Controls' <<<"$manifest"
check "manifest declares the program DPI aware" grep -q '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest"
check "manifest asks for no elevation (asInvoker)" grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest"

CHM="$(dirname "$EXE")/Ordavi.CHM"
HELP_SRC="$ROOT/help"
check "Ordavi.CHM beside Ordavi.exe" test -s "$CHM"
if [ -s "$CHM" ]; then
  listing=$(chmls -n list "$CHM" 2>/dev/null)
  tmp=$(mktemp -d)
  for page in "$HELP_SRC"/*.html; do
    name=$(basename "$page")
    check "help page $name in Ordavi.CHM" grep -qx "/$name" <<<"$listing"
  done
  for name in toc.hhc index.hhk; do
    chmls extract "$CHM" "/$name" "$tmp/$name" >/dev/null 2>&1
    check "help $name in Ordavi.CHM, in GBK" eval 'iconv -f GBK -t UTF-8 "$tmp/$name" >"$tmp/$name.utf8"'
  done
  for page in "$HELP_SRC"/*.html; do
    name=$(basename "$page")
    check "the contents lead to $name" grep -q "value=\"$name\"" "$tmp/toc.hhc.utf8"
  done
  check "the index lists 清理系统垃圾" grep -q 'value="清理系统垃圾"' "$tmp/index.hhk.utf8"
  chmls extract "$CHM" /index.html "$tmp/index.html" >/dev/null 2>&1
  check "the first page is GBK and says so (charset=gb2312)" \
    eval 'iconv -f GBK -t UTF-8 "$tmp/index.html" | grep -q "charset=gb2312" && iconv -f GBK -t UTF-8 "$tmp/index.html" | grep -q "<title>Ordavi 是什么</title>"'
  rm -rf "$tmp"
fi

DIST="$(dirname "$EXE")/../../dist"
installer="$DIST/Ordavi-Setup-$VERSION.exe"
portable="$DIST/Ordavi-$VERSION-portable.zip"
check "the installer $(basename "$installer")" test -s "$installer"
if [ -s "$installer" ]; then
  contents=$(7z l "$installer" 2>/dev/null)
  check "the installer is a 32-bit Windows program" eval 'i686-w64-mingw32-objdump -f "$installer" | grep -q "file format pei-i386"'
  for name in Ordavi.exe QLLJ.bat Ordavi.CHM uninst.exe; do
    check "the installer holds $name" grep -qE " $name\$" <<<"$contents"
  done
fi
check "the portable zip $(basename "$portable")" test -s "$portable"
if [ -s "$portable" ]; then
  check "the portable zip holds exactly the program, the junk script, the help and the read-me in Ordavi/" \
    eval '[ "$(unzip -Z1 "$portable" | sort | tr "\n" " ")" = "Ordavi/ Ordavi/Ordavi.CHM Ordavi/Ordavi.exe Ordavi/QLLJ.bat Ordavi/README.txt " ]'
  check "its program is this build" eval 'unzip -p "$portable" Ordavi/Ordavi.exe | cmp -s - "$EXE"'
  check "its read-me is UTF-8 with a byte-order mark and CRLF line ends" \
    eval 'unzip -p "$portable" Ordavi/README.txt | head -c 3 | od -An -tx1 | grep -q "ef bb bf" && unzip -p "$portable" Ordavi/README.txt | head -1 | grep -q $'"'"'\r$'"'"''
fi

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) of the win32 build failed"
  exit 1
fi
echo "the win32 build: all checks passed"
