#!/usr/bin/env bash
# Soak test: 200 menu commands (opacity, width, menus dismissed with Escape) spread over 30 ticks of
# the reading timer; each command must take effect, and the program's memory must stay flat.
set -euo pipefail
. "$(dirname "$0")/lib.sh"

COMMANDS=200 TICKS=30 WARM_UP=50
RANDOM=4500  # the same mix every run, reaching both ends of both ladders
TOLERANCE_KB=128  # after the warm-up a sound run moves by a few pages either way

alpha=100 width=250
# run_checked N: a command from a fixed pseudo-random mix; then the strip must show what it should.
run_checked() {
  case $((RANDOM % 5)) in
  0) alpha_up && alpha=$((alpha + 50 > 255 ? 255 : alpha + 50)) ;;
  1) alpha_down && alpha=$((alpha - 50 < 50 ? 50 : alpha - 50)) ;;
  2) dismiss_menu ;;
  3) width_up && width=$((width == 850 ? 850 : width + 200)) ;;
  4) width_down && width=$((width == 250 ? 250 : width - 200)) ;;
  esac || return 1
  wait_until 3 eval 'strip_alpha_is $alpha && strip_width_is $width' ||
    fail "command $1: opacity $(window_alpha "$STRIP"), width $(strip_geometry | cut -d' ' -f3), not $alpha, $width"
}

soak() {
  start_program || return 1
  local i
  for i in $(seq 1 "$WARM_UP"); do run_checked "$i" || return 1; done
  local start_kb
  start_kb=$(rss_kb "$APP_PID")
  local began=$SECONDS period
  period=$(awk -v c="$COMMANDS" -v t="$TICKS" 'BEGIN { printf "%.3f", t * 4.5 / c }')
  for i in $(seq 1 "$COMMANDS"); do
    run_checked $((WARM_UP + i)) || return 1
    # Spread the commands so that the ticks fall between them.
    local due
    due=$(awk -v b="$began" -v i="$i" -v p="$period" -v now="$SECONDS" 'BEGIN { d = b + i * p - now; print (d > 0 ? d : 0) }')
    sleep "$due"
    [ $((i % 50)) = 0 ] && echo "   $i commands, $((SECONDS - began)) s, RSS $(rss_kb "$APP_PID") kB"
  done
  while [ $((SECONDS - began)) -lt $((TICKS * 9 / 2 + 1)) ]; do sleep 1; done
  shot_strip "$SHOTS/soak-end.png"
  local end_kb
  end_kb=$(rss_kb "$APP_PID")
  echo "   RSS after warm-up $start_kb kB, after $COMMANDS commands and $(((SECONDS - began) * 2 / 9)) ticks $end_kb kB ($((end_kb - start_kb)) kB)"
  [ $((end_kb - start_kb)) -le "$TOLERANCE_KB" ] || fail "memory grew by $((end_kb - start_kb)) kB" || return 1
  open_menu && xdotool key x && wait_for_exit 10 || fail "the program did not close after the soak" || return 1
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after the soak"
}

start_harness soak
scenario "memory flat over $COMMANDS menu commands and $TICKS ticks" soak
finish_harness
