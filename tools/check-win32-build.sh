#!/usr/bin/env bash
# Checks the shipped 32-bit Ordavi.exe without running it, so that it is
# checked on every machine, also on one that cannot run 32-bit programs:
# a 32-bit Windows GUI program, statically linked (no MinGW runtime DLL among
# its imports), with its icons, button glyphs, version and manifest.
#
#   bash tools/check-win32-build.sh [path/to/Ordavi.exe]
set -u
EXE="${1:-$(cd "$(dirname "$0")/.." && pwd)/build/win32/app/win32/Ordavi.exe}"
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
check "no MinGW runtime DLL among the imports" eval '! grep -qiE "libgcc|libstdc|libwinpthread|libssp" <<<"$imports"'
check "only system DLLs imported" eval '! grep -qvixE "(advapi32|comctl32|comdlg32|gdi32|kernel32|msvcrt|rasapi32|shell32|user32|wininet|winmm|ole32|version)\.dll" < <(tr " " "\n" <<<"$imports" | grep .)'
for name in MAINICON ENASHUT DISSHUT; do
  check "icon $name" grep -q -- "--type=14 --name='$name'" <<<"$resources"
done
for name in BITBTN1GLYPH BITBTN2GLYPH; do
  check "glyph $name" grep -q -- "--type=2 --name='$name'" <<<"$resources"
done
check "version resource" grep -q -- '--type=16 ' <<<"$resources"
check "manifest asks for common controls 6" grep -q 'Microsoft.Windows.Common-Controls' <<<"$manifest"
check "manifest declares the program DPI aware" grep -q '<dpiAware[^>]*>true</dpiAware>' <<<"$manifest"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) of the win32 build failed"
  exit 1
fi
echo "the win32 build: all checks passed"
