#!/usr/bin/env bash
# End-to-end run on scaled displays: the strip at 120, 144 and 192 DPI (Wine's LogPixels, set in the
# run's copy of the prefix), with its place, size and width steps scaled and its first piece drawn
# pixel for pixel as draw_text.exe draws it in the strip's font for that DPI; then, at 144 DPI, moved
# onto monitors of 192 and 96 DPI by WM_DPICHANGED, which Wine never sends, so send_dpi_changed.exe
# sends it. Pictures and logs: build/e2e-dpi/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bin=$root/build/windows/tests/e2e exe=$root/build/windows/shell/sundrovale.exe out=$root/build/e2e-dpi
. "$root/tests/e2e/lib.sh"
XVFB_SCREEN=2560x1600x24 e2e_start  # room for the widest strip, 1700 pixels at 192 DPI
piece=欢迎使用蕨汀浮卷机  # the welcome text's first piece: 9 full-width characters
px() { echo $((($1 * $2 + 48) / 96)); }  # px LOGICAL DPI: pixels at DPI, rounded as MulDiv does

at() {  # at DPI REFDPI...: sets the DPI new processes see, and draws the first piece at each REFDPI
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f && shift || return
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
moved() {  # moved DPI LEFT TOP RIGHT BOTTOM: WM_DPICHANGED to DPI, with that rectangle suggested
  wine "$bin/send_dpi_changed.exe" "$@" || fail "send_dpi_changed.exe failed" || return
  is place "$2 $3 $(($4 - $2)) $(($5 - $3))" geom &&
    { wait_until 3 shows "$1" 0 0 || keep "moved-$1" "the piece is not redrawn as drawn at $1 DPI"; }; }

run_steps <<'EOF_STEPS'
120 DPI: the reference piece has 9 characters 20 pixels wide; the strip opens 313x38 at 125,125 | at 120 120 && launch && is place "125 125 313 38" geom
120 DPI: its first piece, pixel for pixel | first 120
120 DPI: each width step | widths 120
144 DPI: reference pieces for 144, 192 and 96 DPI, 24, 32 and 16 pixels a character; the strip opens 375x45 at 150,150 | at 144 144 192 96 && launch && is place "150 150 375 45" geom
144 DPI: its first piece, pixel for pixel | first 144
144 DPI: each width step | widths 144
moved onto a 192 DPI monitor: takes the suggested place and size, redraws for 192 DPI | moved 192 100 300 1800 360
then onto a 96 DPI monitor: the same for 96 DPI, in the 16-pixel font, not the default | moved 96 400 700 1250 730
192 DPI: the reference piece has 9 characters 32 pixels wide; the strip opens 500x60 at 200,200 | at 192 192 && launch && is place "200 200 500 60" geom
192 DPI: its first piece, pixel for pixel | first 192
192 DPI: each width step | widths 192
EOF_STEPS
