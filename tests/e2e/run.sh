#!/usr/bin/env bash
# End-to-end tests: runs the Windows program under Wine on a private X display and drives it as a
# person would (clicks, menu, dialog, drag), checking its window, its opacity and what it draws.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

# The text files opened through the dialog. The first line is cut into pieces of 13, 52 and 12
# characters by the widths used below; after the last piece reading is back at the start.
PIECE_1=春眠不觉晓处处闻啼鸟夜来风
PIECE_2=雨声花落知多少床前明月光疑是地上霜举头望明月低头思故乡白日依山尽黄河入海流欲穷千里目更上一层楼红豆生南国
PIECE_3=春来发几枝愿君多采撷此物
UTF8_PIECE=统一码八位元文本测试第一行
MENU_LABELS=("打开文件..." "增加透明度(&q)" "减小透明度(&a)" "宽度增加" "宽度减小" $'关闭程序(&x)\tAlt+x')

reference blank 250 ""
reference welcome_1 250 欢迎使用蕨汀浮卷机
reference welcome_2 250 双击窗口暂停或者继续阅读
reference welcome_3 250 右击窗口打开功能菜单
reference boxes 250 $'\ue000\ue000\ue000\ue000\ue000\ue000\ue000\ue000\ue000'  # 9 missing glyphs
reference file_1 250 "$PIECE_1"
reference file_1_at_850 850 "$PIECE_1"
reference file_2_at_850 850 "$PIECE_2"
reference file_2 250 "$PIECE_2"
reference file_3 250 "$PIECE_3"
reference utf8_1 250 "$UTF8_PIECE"

wine_path() { echo "Z:${1//\//\\}"; }

make_text_files() {
  FILES=$RUN/files
  mkdir -p "$FILES"
  printf '%s\r\n' "$PIECE_1$PIECE_2$PIECE_3" | iconv -f UTF-8 -t CP936 >"$FILES/cp936.txt"
  printf '%s\n' "${UTF8_PIECE}之后还有更多的文字" >"$FILES/utf8.txt"
}

# Opens the file dialog from the menu with a click on its first item; sets DIALOG.
open_dialog() {
  open_menu || return 1
  local id x y w h
  read -r id x y w h <<<"$MENU"
  pointer_to $((x + 30)) $((y + 3 + (h - 6) / 12)); xdotool click 1
  wait_until 10 eval 'DIALOG=$(xdotool search --onlyvisible --name "^打开\$" 2>/dev/null | head -n 1); [ -n "$DIALOG" ]' ||
    { fail "the open-file dialog did not appear"; return 1; }
  sleep 0.5  # the file name box takes the keyboard once the dialog is shown
}

dialog_closed() { ! xdotool search --onlyvisible --name '^打开$' >/dev/null 2>&1; }

# choose_file NAME: types a name and Enter into the open dialog and waits for it to close.
choose_file() {
  open_dialog || return 1
  xdotool type --delay 5 "$1"
  xdotool key Return
  wait_until 10 dialog_closed || fail "the dialog did not close after Enter"
}

# --- Scenarios --------------------------------------------------------------------------------------

check_wine_passes_exit_codes() {
  local code=0
  WINEPREFIX=$PREFIX "$root/scripts/wine-run" "$DRAW_TEXT" --exit 3 >/dev/null 2>&1 || code=$?
  [ "$code" = 3 ] || fail "wine returned $code for a program that ended with 3: exit codes are not checkable"
}

check_start() {
  start_program || return 1
  shot_strip "$SHOTS/start.png"
  same_picture "$SHOTS/start.png" "$SHOTS/ref-blank.png" || fail "the strip is not blank before the first tick (start.png)" || return 1
  local count
  count=$(xdotool search --onlyvisible --name '^Sundrovale$' | wc -l)
  [ "$count" = 1 ] || fail "$count windows titled Sundrovale, not one" || return 1
  [ "$(strip_geometry)" = "$STRIP_X $STRIP_Y 250 $STRIP_H" ] || fail "strip at $(strip_geometry), not 100 100 250 30" || return 1
  xprop -id "$STRIP" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "the strip is not always on top" || return 1
  strip_alpha_is 100 || fail "opacity $(window_alpha "$STRIP"), not 100"
}

# The welcome text, piece by piece on the 4.5 s timer; then a double-click pauses on the last piece
# (reading is back at the start of the text there, so an opened file starts at its first piece).
check_welcome_pieces() {
  wait_for_piece welcome_1 8 || return 1
  local first
  first=$(seconds_since "$SHOWN_AT")
  awk -v t="$first" 'BEGIN { exit !(t >= 3.5 && t <= 6.5) }' || fail "first piece after $first s, not about 4.5 s" || return 1
  strip_shows boxes && { fail "a piece drawn as boxes matches the welcome text"; return 1; }
  local at
  wait_for_piece welcome_2 7 || return 1
  at=$(date +%s.%N)
  wait_for_piece welcome_3 7 || return 1
  local interval
  interval=$(seconds_since "$at")
  awk -v t="$interval" 'BEGIN { exit !(t >= 3.5 && t <= 5.5) }' || fail "ticks $interval s apart, not 4.5 s" || return 1
  double_click
}

check_pause_and_resume() {
  # Paused on the third piece: it stays for more than two ticks.
  local until=$((SECONDS + 10))
  while [ $SECONDS -lt "$until" ]; do
    strip_shows welcome_3 || { cp "$SHOTS/now.png" "$SHOTS/pause-moved.png"; fail "the piece changed while paused (pause-moved.png)"; return 1; }
    sleep 0.5
  done
}

check_menu() {
  aim_at_strip
  wine_start "$RUN/draw_text.log" "$DRAW_TEXT" --menu "$CLICK_X" "$CLICK_Y" "${MENU_LABELS[@]}"
  local helper=$LAST_PID id x y w h
  wait_until 20 eval 'find_popup draw_text.exe >/dev/null' || { fail "the reference menu did not appear"; return 1; }
  read -r id x y w h < <(find_popup draw_text.exe)
  sleep 0.3
  screenshot "$SHOTS/ref-menu.png" "${w}x${h}+$x+$y"
  xdotool key Escape
  wait_until 10 eval '! kill -0 '"$helper"' 2>/dev/null' || kill "$helper" 2>/dev/null || true

  open_menu || return 1
  read -r id x y w h <<<"$MENU"
  sleep 0.3
  screenshot "$SHOTS/menu.png" "${w}x${h}+$x+$y"
  screenshot "$SHOTS/strip-with-menu.png" "$((w + 60))x$((h + 50))+$((STRIP_X - 10))+$((STRIP_Y - 10))"
  [ "$x $y" = "$CLICK_X $CLICK_Y" ] || fail "menu at $x,$y, not at the click $CLICK_X,$CLICK_Y" || return 1
  same_picture "$SHOTS/menu.png" "$SHOTS/ref-menu.png" || fail "the menu does not show the six labels (menu.png, ref-menu.png)" || return 1
  xdotool key Escape
  wait_menu_closed || return 1
  strip_alpha_is 100 && strip_width_is 250 && strip_shows welcome_3 || fail "a menu dismissed with Escape changed the strip"
}

check_opacity_ladder() {
  local expected
  for expected in 150 200 250 255 255; do
    alpha_up || return 1
    wait_until 3 strip_alpha_is "$expected" || fail "after opacity up: $(window_alpha "$STRIP"), not $expected" || return 1
  done
  for expected in 205 155 105 55 50 50; do
    alpha_down || return 1
    wait_until 3 strip_alpha_is "$expected" || fail "after opacity down: $(window_alpha "$STRIP"), not $expected" || return 1
  done
  # One more step up proves the last 50 really was 50, and brings back the starting opacity.
  alpha_up || return 1
  wait_until 3 strip_alpha_is 100 || fail "opacity up from 50 gave $(window_alpha "$STRIP"), not 100"
}

check_open_file() {
  choose_file "$(wine_path "$FILES/cp936.txt")" || return 1
  # Still paused, so only the Open command itself can have put the file's first piece there.
  wait_for_piece file_1 2 || return 1
}

check_width_ladder() {
  local expected
  for expected in 450 650 850 850; do
    width_up || return 1
    wait_until 3 strip_width_is "$expected" || fail "after width up: $(strip_geometry), not $expected wide" || return 1
  done
  wait_for_piece file_1_at_850 2 || return 1  # same piece until the next tick
  double_click                                # resume: the next tick cuts 52 characters
  wait_for_piece file_2_at_850 7 || return 1
  double_click
  for expected in 650 450 250 250; do
    width_down || return 1
    wait_until 3 strip_width_is "$expected" || fail "after width down: $(strip_geometry), not $expected wide" || return 1
  done
  strip_shows file_2 || fail "narrowing changed the piece before the next tick" || return 1
  strip_geometry | grep -q "^$STRIP_X $STRIP_Y 250 $STRIP_H\$" || fail "strip at $(strip_geometry) after the width ladder"
}

check_cancelled_open() {
  open_dialog || return 1
  xdotool key Escape
  wait_until 10 dialog_closed || { fail "the dialog did not close on Escape"; return 1; }
  sleep 1
  strip_shows file_2 || { cp "$SHOTS/now.png" "$SHOTS/cancel-changed.png"; fail "cancelling the dialog changed the piece (cancel-changed.png)"; return 1; }
  double_click  # resume: reading goes on in the same file
  wait_for_piece file_3 7 || return 1
  double_click  # pause again: reading is back at the start of the file
}

check_open_utf8_file() {
  choose_file "$(wine_path "$FILES/utf8.txt")" || return 1
  wait_for_piece utf8_1 2
}

check_alt_keys() {
  local before_alpha before_geometry
  before_alpha=$(window_alpha "$STRIP")
  before_geometry=$(strip_geometry)
  aim_at_strip
  pointer_to "$CLICK_X" "$CLICK_Y"; xdotool click 1  # the strip takes the keyboard
  xdotool key --delay 100 alt+question alt+slash
  sleep 1.5
  program_running || { fail "the program ended on Alt+? / Alt+/"; return 1; }
  [ "$(window_alpha "$STRIP")" = "$before_alpha" ] && [ "$(strip_geometry)" = "$before_geometry" ] && ! menu_open ||
    fail "Alt+? / Alt+/ changed the strip" || return 1
  strip_shows utf8_1 || fail "Alt+? / Alt+/ changed the piece" || return 1
}

check_drag() {
  local x y
  read -r x y _ _ < <(strip_geometry)
  pointer_to $((x + 20)) $((y + 15)); xdotool mousedown 1
  local step
  for step in $(seq 1 20); do
    pointer_to $((x + 20 + 3 * step)) $((y + 15 + 2 * step))
  done
  xdotool mouseup 1
  wait_until 3 eval '[ "$(strip_geometry)" = "$((x + 60)) $((y + 40)) 250 30" ]' ||
    fail "dragging by 60,40 from $x,$y left the strip at $(strip_geometry)" || return 1
  strip_shows utf8_1 || fail "the piece was lost in the drag"
}

check_close_command() {
  open_menu || return 1
  xdotool key x
  wait_for_exit 10 || { fail "the program still runs 10 s after the Close command"; return 1; }
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Close, not 0"
}

check_platform_close() {
  start_program || return 1
  "$RUN/x11_close" "$STRIP"
  wait_for_exit 10 || { fail "the program still runs 10 s after its window was closed"; return 1; }
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the window was closed, not 0"
}

check_long_path() {
  start_program || return 1
  local long
  long=$(wine_path "$RUN/$(printf 'x%.0s' $(seq 1 280)).txt")
  choose_file "$long" || true
  sleep 2
  program_running ||
    fail "the program ended on a ${#long}-character name: $(grep -a Unhandled "$RUN/program.log" | tail -n 1)" || return 1
  local tries=0
  while ! dialog_closed && [ $tries -lt 5 ]; do xdotool key Escape; sleep 0.5; tries=$((tries + 1)); done
  dialog_closed || fail "the dialog is still open after Escape" || return 1
  alpha_up && wait_until 3 strip_alpha_is 150 || fail "no longer responds to the menu after the long name"
}

start_harness e2e
make_text_files
started=$SECONDS
draw_references || { echo "0 passed, 1 failed"; exit 1; }

scenario "wine passes the exit code through" check_wine_passes_exit_codes
scenario "start: one blank strip, 250x30 at 100,100, on top, opacity 100" check_start
scenario "welcome text on the 4.5 s timer, drawn as glyphs" check_welcome_pieces
scenario "double-click pauses" check_pause_and_resume
scenario "menu at the click with its six labels; Escape changes nothing" check_menu
scenario "opacity ladder up and down with its ends" check_opacity_ladder
scenario "open a code page 936 file: first piece at once" check_open_file
scenario "width ladder: window at once, piece length at the next tick" check_width_ladder
scenario "cancelled open keeps the piece and the reading" check_cancelled_open
scenario "open a UTF-8 file" check_open_utf8_file
scenario "Alt+? and Alt+/ change nothing" check_alt_keys
scenario "left-button drag moves the strip" check_drag
scenario "Close command ends the program with exit code 0" check_close_command
scenario "closing the window ends the program with exit code 0" check_platform_close
scenario "a name longer than 260 characters in the dialog" check_long_path

echo "== e2e took $((SECONDS - started)) s"
finish_harness
