#!/usr/bin/env bash
# Checks that a program is a 64-bit Windows GUI executable that imports only system DLLs,
# so that it runs with nothing beside it, and that its manifest declares it aware of each
# monitor's scale (no Wine display scales one monitor apart from another, so this is where
# that declaration is checked).
#   usage: check_pe.sh PROGRAM
set -euo pipefail
program=$1
objdump=x86_64-w64-mingw32-objdump

fail() { echo "check_pe: $program: $*" >&2; exit 1; }

header=$($objdump -f "$program") || fail "unreadable"
details=$($objdump -p "$program")
grep -q 'file format pei-x86-64' <<<"$header" || fail "not a 64-bit PE"
grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$details" || fail "not a GUI-subsystem program"

system_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll shell32.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll shlwapi.dll uxtheme.dll version.dll winmm.dll opengl32.dll glu32.dll
  msvfw32.dll avifil32.dll ws2_32.dll '
# One space between names, also where the list breaks its lines.
system_dlls=" $(tr -s '[:space:]' ' ' <<<"$system_dlls") "
imports=$(awk '/DLL Name:/{print tolower($3)}' <<<"$details" | sort -u)
[[ -n "$imports" ]] || fail "no imports found"
for dll in $imports; do
  [[ "$system_dlls" == *" $dll "* || "$dll" == api-ms-win-* ]] || fail "imports $dll, which is not a system DLL"
done
LC_ALL=C grep -aq '<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>' "$program" ||
  fail "its manifest does not declare per-monitor awareness"
LC_ALL=C grep -aq '<dpiAware[^>]*>true/pm</dpiAware>' "$program" ||
  fail "its manifest does not fall back to system awareness"
echo "check_pe: $program: 64-bit GUI PE importing only: $(echo $imports); aware of each monitor's scale"
