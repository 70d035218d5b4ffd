#!/usr/bin/env bash
# Reads the resources and headers back from the built exe (64-bit or 32-bit) with windres and objdump,
# and checks what no other test sees before the program runs: project()'s version, the window title and
# class strings, the language the version strings are declared in, the manifest, the icons, the DLLs
# and functions it imports, and the protections its header asks for.
# Usage: check_resources.sh WINDRES EXE VERSION
set -euo pipefail
exe=$2 version=$3
rc=$("$1" -i "$exe" -O rc | sed 's/^ *//')
# The manifest (type 24, id 1) as one line: the quoted pieces windres prints, "" read as one quote.
manifest=$(sed -n '/^1 24 /,/^END/s/^"\(.*\)"$/\1/p' <<<"$rc" | sed 's/""/"/g; s/\\n$//' | tr -d '\n')
# The version strings: the one block under StringFileInfo, named by language and code page in hex.
strings=$(sed -n '/^BLOCK "StringFileInfo"$/,/^BLOCK "VarFileInfo"$/{/^BLOCK "[0-9A-Fa-f]\{8\}"$/,/^END$/p}' <<<"$rc")
block=$(sed -n 's/^BLOCK "\(.*\)"$/\1/p' <<<"$strings")
pair=$(sed -n 's/^VALUE "Translation", \(0x[0-9A-Fa-f]*\), \([0-9]*\)$/\1 \2/p' <<<"$rc")
translation=$(xargs printf '%04x%04x' <<<"$pair")  # a second pair, or none, makes no match
missing=0
miss() { echo "$*" >&2; missing=1; }
# Windows shows the version strings of the block that Translation names; they must be one.
[ "${block,,}" = "$translation" ] || miss "Translation names $translation, but the version strings are in block \"$block\""
has() {  # has TEXT OPTION PART...: each PART is in TEXT, matched as grep's OPTION says
  for part in "${@:3}"; do grep -q"$2"F -- "$part" <<<"$1" || miss "not in the exe: $part"; done; }
number="${version//./, }, 0"
has "$rc" x "FILEVERSION $number" "PRODUCTVERSION $number" '103, "Sundrovale"' '109, "SUNDROVALE"'
has "$strings" x "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" 'VALUE "ProductName", "Sundrovale"'
# Task Manager and the file's properties name the program by its FileDescription.
has "$strings" x 'VALUE "FileDescription", "Sundrovale reading strip"'
has "$manifest" '' "name=\"Sundrovale\" version=\"$version.0\"" 'level="asInvoker" uiAccess="false"' \
  'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
  '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>' '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>' \
  '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>' '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
# Aware of each monitor's DPI; the functions for it, newer than Vista, are looked up at run time, so the
# exe imports none of them and still starts on Windows 7 (GetDeviceCaps shows that objdump listed imports).
has "$manifest" '' '>true/pm</dpiAware>' '>PerMonitorV2, PerMonitor</dpiAwareness>'
imports=$("${1%windres}objdump" -p "$exe")
grep -qw GetDeviceCaps <<<"$imports" || miss "objdump lists no imports"
# The same system DLLs for both builds, all of them on every Windows from 7 on.
dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$imports" | tr a-z A-Z | sort | paste -sd' ')
[ "$dlls" = "COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL USER32.DLL" ] || miss "the exe imports $dlls"
# ASLR and DEP on; a 32-bit exe large-address-aware, so that 64-bit Windows gives it 4 GB, not 2.
has "$imports" '' DYNAMIC_BASE NX_COMPAT 'large address aware'
for name in shcore.dll GetDpiForWindow GetDpiForSystem GetDpiForMonitor SystemParametersInfoForDpi \
  AdjustWindowRectExForDpi GetSystemMetricsForDpi EnableNonClientDpiScaling SetProcessDpiAwarenessContext \
  SetThreadDpiAwarenessContext SetProcessDpiAwareness; do
  ! grep -qiw "$name" <<<"$imports" || miss "the exe imports $name, which Windows 7 lacks"
done
# Both icon groups hold an image of every size Windows asks for, each read whole: icotool decodes every
# image (at 256 a PNG) without a complaint, into a picture of the size the group lists for it.
icons=$(mktemp -d) && trap 'rm -rf "$icons"' EXIT
for group in 107 108; do
  wrestool -x -t14 -n$group "$exe" >"$icons/$group.ico"
  errors=$(icotool -x -o "$icons" "$icons/$group.ico" 2>&1) && [ -z "$errors" ] || miss "icon $group: $errors"
  sizes=$(while read -r w h f; do [[ $f == *_${w}x${h}x* ]] && echo "$w" || echo "$w $h $f"; done \
    < <(identify -format '%w %h %f\n' "$icons/${group}_"*.png 2>&1) | sort -un | paste -sd' ')
  [ "$sizes" = "16 20 24 32 40 48 64 256" ] || miss "icon $group holds $sizes"
done
# Windows refuses to start a program whose manifest is not well-formed XML.
python3 -c 'import sys, xml.dom.minidom as dom; dom.parseString(sys.stdin.read().replace("\\n", ""))' <<<"$manifest" || miss "the manifest is not well-formed XML"
exit $missing
