#!/usr/bin/env bash
# Reads the resources back from the built exe with windres and checks what no other test sees before
# the program runs: project()'s version, the window title and class strings, the language the version
# strings are declared in, and the manifest.
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
# Windows shows the version strings of the block that Translation names; they must be one.
[ "${block,,}" = "$translation" ] ||
  { echo "Translation names $translation, but the version strings are in block \"$block\"" >&2; missing=1; }
has() {  # has TEXT OPTION PART...: each PART is in TEXT, matched as grep's OPTION says
  for part in "${@:3}"; do grep -q"$2"F -- "$part" <<<"$1" || { echo "not in the exe: $part" >&2; missing=1; }; done; }
number="${version//./, }, 0"
has "$rc" x "FILEVERSION $number" "PRODUCTVERSION $number" '103, "Sundrovale"' '109, "SUNDROVALE"'
has "$strings" x "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" 'VALUE "ProductName", "Sundrovale"'
has "$manifest" '' "name=\"Sundrovale\" version=\"$version.0\"" 'level="asInvoker" uiAccess="false"' \
  'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
  '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>' '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>' \
  '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>' '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
# Aware of each monitor's DPI; the functions for it, newer than Vista, are looked up at run time, so the
# exe imports none of them and still starts on Windows 7 (GetDeviceCaps shows that objdump listed imports).
has "$manifest" '' '>true/pm</dpiAware>' '>PerMonitorV2, PerMonitor</dpiAwareness>'
imports=$("${1%windres}objdump" -p "$exe")
grep -qw GetDeviceCaps <<<"$imports" || { echo "objdump lists no imports" >&2; missing=1; }
for name in shcore.dll GetDpiForWindow GetDpiForSystem GetDpiForMonitor SystemParametersInfoForDpi \
  AdjustWindowRectExForDpi GetSystemMetricsForDpi EnableNonClientDpiScaling SetProcessDpiAwarenessContext \
  SetThreadDpiAwarenessContext SetProcessDpiAwareness; do
  ! grep -qiw "$name" <<<"$imports" || { echo "the exe imports $name, which Windows 7 lacks" >&2; missing=1; }
done
# Both icon groups hold an image of every size Windows asks for, each read whole: a bitmap of the listed
# size and depth with its colours, pixels and mask, or at 256 a PNG whose pixels all inflate.
res=$(mktemp) && trap 'rm -f "$res"' EXIT && "$1" -i "$exe" -O res -o "$res"
python3 -c '
import struct, sys, zlib
data, at, res, bad = open(sys.argv[1], "rb").read(), 0, {}, []
def field(at):  # a resource type or name: an ordinal, or a zero-ended UTF-16 string
    if data[at:at + 2] == b"\xff\xff": return struct.unpack_from("<H", data, at + 2)[0], at + 4
    end = at
    while data[end:end + 2] != b"\0\0": end += 2
    return data[at:end], end + 2
while at < len(data):
    size, header = struct.unpack_from("<II", data, at)
    kind, name = field(at + 8); name = field(name)[0]
    res[kind, name] = data[at + header:at + header + size]
    at += header + size + (-size % 4)
stride = lambda size, bits: (size * bits + 31) // 32 * 4
for group in (107, 108):
    g, sizes = res[14, group], []
    for i in range(struct.unpack_from("<H", g, 4)[0]):
        w, _, _, _, _, bits, length, index = struct.unpack_from("<BBBBHHIH", g, 6 + 14 * i)
        image, size = res[3, index], w or 256
        if image[:8] == b"\x89PNG\r\n\x1a\n":
            pixels = zlib.decompress(image[image.index(b"IDAT") + 4:])
            whole = struct.unpack_from(">II", image, 16) == (size, size) and len(pixels) == size * (1 + 4 * size)
        else:
            colours = 4 << bits if bits <= 8 else 0
            whole = struct.unpack_from("<IiiHH", image) == (40, size, 2 * size, 1, bits) and \
                len(image) == 40 + colours + size * (stride(size, bits) + stride(size, 1))
        sizes.append(size)
        if not whole or len(image) != length: bad.append(f"icon {group}: its {size}x{size} image at {bits} bits")
    if set(sizes) != {16, 20, 24, 32, 40, 48, 64, 256}: bad.append(f"icon {group} holds sizes {sorted(set(sizes))}")
print(*bad, sep="\n", file=sys.stderr)
sys.exit(bool(bad))' "$res" || missing=1
# Windows refuses to start a program whose manifest is not well-formed XML.
python3 -c 'import sys, xml.dom.minidom as dom; dom.parseString(sys.stdin.read().replace("\\n", ""))' <<<"$manifest" ||
  { echo "the manifest is not well-formed XML" >&2; missing=1; }
exit $missing
