#!/usr/bin/env bash
# End-to-end run on scaled displays: the strip at 120, 144 and 192 DPI (Wine's LogPixels, set in the
# run's copy of the prefix), with its place, size and width steps scaled and its first piece drawn
# pixel for pixel as draw_text.exe draws it in the strip's font for that DPI; then, at 144 DPI, moved
# onto monitors of 192 and 96 DPI by WM_DPICHANGED, which Wine never sends, so send_dpi_changed.exe
# sends it; and, where Wine stretches programs that are not DPI-aware as Windows does, left unstretched.
#   tests/e2e/dpi.sh [BUILD]: the program of build/BUILD (windows, the default, or windows32).
# Pictures and logs: build/e2e-dpi/BUILD/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-windows} out=$root/build/e2e-dpi/${1:-windows}
. "$root/tests/e2e/lib.sh"
# The 64-bit program's sender, which writes the rectangle into a 32-bit strip too.
sender=$root/build/windows/tests/e2e/send_dpi_changed.exe
XVFB_SCREEN=2560x1600x24 e2e_start  # room for the widest strip, 1700 pixels at 192 DPI
piece=欢迎使用蕨汀浮卷机  # the welcome text's first piece: 9 full-width characters
px() { echo $((($1 * $2 + 48) / 96)); }  # px LOGICAL DPI: pixels at DPI, rounded as MulDiv does

at() {  # at DPI REFDPI...: sets the DPI new processes see, and draws the first piece at each REFDPI
  # Wine 10 reads the DPI as its server starts: the program ends, and the server with it.
  quit && { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f || fail "reg add failed"; } &&
    { wineserver -w || fail "wineserver -w failed"; } && shift || return
  local d y=800 em ink args=()
  for d; do args+=(--dpi "$d" "$piece"); done
  wine "$bin/draw_text.exe" 400 $y "${args[@]}" --menu x &
  wait_until 30 eval 'popup draw_text.exe >/dev/null' || { kill $!; fail "no reference strips"; } || return
  for d; do screenshot "$out/ref-$d.png" "$(px 850 "$d")x$(px 30 "$d")+400+$y" && y=$((y + $(px 40 "$d"))); done
  xdotool key Escape && wait_until 10 not kill -0 $! 2>/dev/null || return
  for d; do  # each reference's characters are an em of 16 logical pixels wide
    em=$(px 16 "$d") ink=$(convert "$out/ref-$d.png" -trim -format %w info:)
    ((ink > 8 * em && ink <= 9 * em)) || fail "at $d DPI the piece is $ink pixels wide, not 9 characters of $em" || return
  done; }
first() {  # first DPI: the first piece shows as drawn at DPI; a double-click then holds it
  wait_until 8 shows "$1" 0 0 || keep "not-$1" "the first piece is not as drawn at $1 DPI" || return
  aim click --repeat 2 --delay 80 1; }
widths() {  # widths DPI: each step of the width ladder, scaled, the height too
  local w; for w in 450 650 850; do width "$(px "$w" "$1") $(px 30 "$1")" $up || return; done; }
moved() {  # moved SENDER DPI LEFT TOP RIGHT BOTTOM: WM_DPICHANGED to DPI, with that rectangle suggested
  wine "$1" "${@:2}" || fail "$1 failed" || return
  shift && is place "$2 $3 $(($4 - $2)) $(($5 - $3))" place &&
    { wait_until 3 shows "$1" 0 0 || keep "moved-$1" "the piece is not redrawn as drawn at $1 DPI"; }; }
unstretched() {  # X shows the strip as the rectangle it set; the same exe without its DPI lines is stretched
  [[ $(wine_version) != wine-[0-9].* ]] || cannot "Wine before 10 gives every program the prefix's DPI and stretches none" || return
  is "X's window" "$(place)" geom || return
  perl -0pe 's{<dpiAware .*?</dpiAwareness>}{"<!--" . " " x (length($&) - 7) . "-->"}se' "$exe" >"$out/unaware.exe"
  ! grep -q dpiAware "$out/unaware.exe" || fail "the DPI lines are still in unaware.exe" || return
  launch "$out/unaware.exe" && is "unaware.exe's own rectangle" "100 100 250 30" place &&
    is "unaware.exe's X window" "150 150 375 45" geom; }

run_steps <<'EOF_STEPS'
120 DPI: the reference piece has 9 characters 20 pixels wide; the strip opens 313x38 at 125,125 | at 120 120 && launch && is place "125 125 313 38" place
120 DPI: its first piece, pixel for pixel | first 120
120 DPI: each width step | widths 120
144 DPI: reference pieces for 144, 192 and 96 DPI, 24, 32 and 16 pixels a character; the strip opens 375x45 at 150,150 | at 144 144 192 96 && launch && is place "150 150 375 45" place
144 DPI: its first piece, pixel for pixel | first 144
144 DPI: each width step | widths 144
moved onto a 192 DPI monitor, told by the 64-bit sender: takes the suggested place and size, redraws for 192 DPI | moved "$sender" 192 100 300 1800 360
then onto a 96 DPI monitor, told by its own build's sender: the same for 96 DPI, in the 16-pixel font, not the default | moved "$bin/send_dpi_changed.exe" 96 400 700 1250 730
144 DPI: Windows does not stretch the strip, which X shows as the rectangle it set; without the manifest's DPI lines it shows 1.5 times its own 250x30 | unstretched
192 DPI: the reference piece has 9 characters 32 pixels wide; the strip opens 500x60 at 200,200 | at 192 192 && launch && is place "200 200 500 60" place
192 DPI: its first piece, pixel for pixel | first 192
192 DPI: each width step | widths 192
EOF_STEPS
