# End-to-end harness, sourced by run.sh and soak.sh: a private X display, a private copy of the Wine
# prefix with its own wineserver, the program under test, reference pictures, checks and the tally.
# Everything started here is ended by process id on exit, pass or fail.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$root/scripts/lib/x11.sh"

EXE=${SUNDROVALE_EXE:-$root/build/windows/shell/sundrovale.exe}
DRAW_TEXT=${DRAW_TEXT_EXE:-$root/build/windows/tests/e2e/draw_text.exe}
STRIP_X=100 STRIP_Y=100 STRIP_H=30
FUZZ=10% MAX_DIFFERENT_PIXELS=10

passed=0 failed=0 scenario=""
started_pids=()

# Per-run folder: pictures and logs stay for people to look at, the prefix copy goes at exit.
start_harness() {
  local suite=$1
  for tool in "$EXE" "$DRAW_TEXT"; do
    [ -f "$tool" ] || { echo "Missing $tool: build with the windows preset first" >&2; exit 1; }
  done
  mkdir -p "$root/build/e2e"
  RUN=$(mktemp -d "$root/build/e2e/$suite.$(date +%Y%m%d-%H%M%S).XXXX")
  # Keep the three latest runs of this suite.
  ls -1dt "$root/build/e2e/$suite".*/ 2>/dev/null | tail -n +4 | xargs -r rm -rf
  SHOTS=$RUN/shots
  mkdir -p "$SHOTS"
  trap stop_harness EXIT
  echo "== $suite: pictures and logs in ${RUN#"$root"/}"

  start_virtual_display
  started_pids+=("$XVFB_PID")
  "$root/scripts/wine-run" --prepare-only
  PREFIX=$RUN/prefix
  cp -a "$root/build/wine-prefix" "$PREFIX"
  # A crash prints its backtrace into the log instead of opening a dialog that would hang the run.
  printf '\n[Software\\\\Wine\\\\WineDbg] 1700000000\n"ShowCrashDialog"=dword:00000000\n' >>"$PREFIX/user.reg"
  WINEPREFIX=$PREFIX wineserver --foreground --persistent &
  WINESERVER_PID=$!
  started_pids+=("$WINESERVER_PID")
  "$root/scripts/ensure-packages" libx11-dev
  cc -O1 -o "$RUN/x11_close" "$root/tests/e2e/x11_close.c" -lX11
}

stop_harness() {
  local pid
  for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${PREFIX:-}" ]; then
    WINEPREFIX=$PREFIX wineserver -k 2>/dev/null || true
    # Wine's own services (explorer, services, winedevice...) carry our prefix in their environment.
    for pid in $(grep -lsz "^WINEPREFIX=$PREFIX\$" /proc/[0-9]*/environ | cut -d/ -f3); do
      kill "$pid" 2>/dev/null || true
    done
    rm -rf "$PREFIX"
  fi
}

wine_start() {  # wine_start LOG EXE ARGS...: starts a Windows program in the background; sets LAST_PID
  local log=$1
  shift
  WINEPREFIX=$PREFIX "$root/scripts/wine-run" "$@" >>"$log" 2>&1 &
  LAST_PID=$!
  started_pids+=("$LAST_PID")
}

# --- Tally -----------------------------------------------------------------------------------------

# scenario NAME FUNCTION: runs one group of checks; the first failed check ends the group.
scenario() {
  scenario=$1
  local t0=$SECONDS
  echo "-- $scenario"
  if "$2"; then
    passed=$((passed + 1))
    echo "   ok ($((SECONDS - t0)) s)"
  else
    failed=$((failed + 1))
  fi
}

# fail MESSAGE: says which step failed and keeps a picture of the whole screen.
fail() {
  local picture
  picture="$SHOTS/FAILED-$(echo "$scenario" | tr -c 'a-zA-Z0-9\n' '-').png"
  import -window root "$picture" 2>/dev/null || true
  echo "   FAILED: $*" >&2
  echo "   screen: ${picture#"$root"/}" >&2
  return 1
}

finish_harness() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# --- The program ------------------------------------------------------------------------------------

# Starts the program and waits for its strip; sets APP_PID, STRIP (the X window) and SHOWN_AT.
start_program() {
  wine_start "$RUN/program.log" "$EXE"
  APP_PID=$LAST_PID
  STRIP=$(wait_for_window Sundrovale 60) || { fail "the strip did not appear within 60 s"; return 1; }
  SHOWN_AT=$(date +%s.%N)
}

program_running() { kill -0 "$APP_PID" 2>/dev/null; }

# wait_for_exit SECONDS: waits for the program to end; sets EXIT_CODE.
wait_for_exit() {
  wait_until "$1" eval '! program_running' || return 1
  EXIT_CODE=0
  wait "$APP_PID" || EXIT_CODE=$?
}

seconds_since() { awk -v t="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.1f", now - t }'; }

# --- Pictures ---------------------------------------------------------------------------------------

strip_geometry() { window_geometry "$STRIP"; }

# shot_strip FILE: the strip as it stands on the screen.
shot_strip() {
  local x y w h
  read -r x y w h < <(strip_geometry)
  screenshot "$1" "${w}x${h}+${x}+${y}"
}

# same_picture A B: the pictures differ in at most a few pixels (colour fuzz for anti-aliasing).
same_picture() {
  local different
  different=$(compare -metric AE -fuzz "$FUZZ" "$1" "$2" null: 2>&1) || true
  [[ "$different" =~ ^[0-9]+$ ]] && [ "$different" -le "$MAX_DIFFERENT_PIXELS" ]
}

strip_shows() {  # strip_shows REFERENCE-NAME: the strip on screen now matches that reference
  shot_strip "$SHOTS/now.png" && same_picture "$SHOTS/now.png" "$SHOTS/ref-$1.png"
}

# wait_for_piece REFERENCE-NAME SECONDS [PICTURE-NAME]: waits for the strip to show it; keeps the picture.
wait_for_piece() {
  if wait_until "$2" strip_shows "$1"; then
    cp "$SHOTS/now.png" "$SHOTS/${3:-strip-$1}.png"
    return 0
  fi
  cp "$SHOTS/now.png" "$SHOTS/${3:-strip-$1}-wrong.png"
  fail "the strip did not show \"$(reference_text "$1")\" within $2 s (see ${3:-strip-$1}-wrong.png)"
}

# References: NAME WIDTH TEXT, drawn by the helper as the strip draws, one picture each.
declare -A REF_WIDTH REF_TEXT
REF_NAMES=()
reference() { REF_NAMES+=("$1"); REF_WIDTH[$1]=$2; REF_TEXT[$1]=$3; }
reference_text() { echo "${REF_TEXT[$1]}"; }

draw_references() {
  local x=300 y=330 args=() i=0 name
  for name in "${REF_NAMES[@]}"; do args+=("${REF_WIDTH[$name]}" "${REF_TEXT[$name]}"); done
  wine_start "$RUN/draw_text.log" "$DRAW_TEXT" "$x" "$y" "${args[@]}"
  local helper=$LAST_PID
  wait_until 60 eval '[ "$(xdotool search --onlyvisible --name "^reference\$" 2>/dev/null | wc -l)" -ge ${#REF_NAMES[@]} ]' ||
    { fail "the reference strips did not appear"; return 1; }
  sleep 0.5  # let the last of them paint
  for name in "${REF_NAMES[@]}"; do
    screenshot "$SHOTS/ref-$name.png" "${REF_WIDTH[$name]}x${STRIP_H}+$x+$((y + 40 * i))"
    i=$((i + 1))
  done
  kill "$helper" 2>/dev/null || true
  wait "$helper" 2>/dev/null || true
  wait_until 10 eval '[ -z "$(xdotool search --onlyvisible --name "^reference\$" 2>/dev/null)" ]'
}

# --- Driving it as a person would ---------------------------------------------------------------

menu_open() { find_popup sundrovale.exe >/dev/null; }

# Where the harness clicks: near the strip's left end, inside it at every width.
aim_at_strip() {
  local x y
  read -r x y _ _ < <(strip_geometry)
  CLICK_X=$((x + 20)) CLICK_Y=$((y + 15))
}

# open_menu: right-clicks the strip and waits for the popup; sets MENU ("ID X Y W H").
open_menu() {
  aim_at_strip
  pointer_to "$CLICK_X" "$CLICK_Y"; xdotool click 3
  wait_until 5 menu_open || { fail "no menu appeared after the right-click"; return 1; }
  MENU=$(find_popup sundrovale.exe)
}

wait_menu_closed() { wait_until 5 eval '! menu_open' || fail "the menu did not close"; }

# menu_key KEYS...: right-click, then the keys (an access key, or arrows and Return).
menu_key() { open_menu && xdotool key --delay 30 "$@" && wait_menu_closed; }

# The commands by keyboard: the access keys where the labels have one, arrows where not.
alpha_up() { menu_key q; }
alpha_down() { menu_key a; }
width_up() { menu_key Down Down Down Down Return; }
width_down() { menu_key Down Down Down Down Down Return; }
dismiss_menu() { menu_key Escape; }

double_click() {
  aim_at_strip
  pointer_to "$CLICK_X" "$CLICK_Y"; xdotool click --repeat 2 --delay 80 1
}

strip_alpha_is() { [ "$(window_alpha "$STRIP")" = "$1" ]; }
strip_width_is() { [ "$(strip_geometry | cut -d' ' -f3)" = "$1" ]; }

# rss_kb PID: resident memory of a process in kB.
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
