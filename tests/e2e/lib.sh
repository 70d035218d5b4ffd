# Shared by the end-to-end runs (run.sh, and the display-scale run): a private Wine prefix and X
# display, waits, checks of the strip as Windows and the screen show it, and a runner for a table of
# steps. Source it after setting root and build (the build folder under build/: windows, windows32),
# and out, the run's folder for pictures and logs.
. "$root/scripts/lib/x11.sh"
exe=$root/build/$build/shell/sundrovale.exe bin=$root/build/$build/tests/e2e
app='' pids=()

# e2e_start: a fresh copy of the project's prefix under $out and a private display, both ended
# with the shell, pass or fail.
e2e_start() {
  rm -rf "$out" && mkdir -p "$out"
  "$root/scripts/wine-run" --prepare-only && cp -a "$root/build/wine-prefix" "$out/prefix"
  export WINEPREFIX=$out/prefix
  trap 'finish || true' EXIT
  # A crash writes its backtrace to the log instead of opening a dialog that keeps the program alive.
  printf '\n[Software\\\\Wine\\\\WineDbg] 1700000000\n"ShowCrashDialog"=dword:00000000\n' >>"$WINEPREFIX/user.reg"
  start_virtual_display && pids+=("$XVFB_PID"); }
# Ends what the run started: the display, and the program and services of the prefix.
finish() { kill "${pids[@]}" 2>/dev/null; wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"; }
wine() { "$root/scripts/wine-run" "$@" >>"$out/wine.log" 2>&1; }

usec() { printf %.0f "${1}e6"; }
wait_until() {  # wait_until SECONDS COMMAND...: retries COMMAND until it succeeds or time is up
  local end=$((${EPOCHREALTIME/./} + $(usec "$1"))); shift
  until "$@"; do ((${EPOCHREALTIME/./} < end)) || return; sleep 0.1; done; }
not() { ! "$@"; }
fail() { echo "   FAILED: $*" >&2; import -window root "$out/failed-$n.png" || true; return 1; }
is() {  # is WHAT EXPECTED COMMAND...: COMMAND prints EXPECTED within 3 s
  local got; for _ in {1..30}; do got=$("${@:3}") && [ "$got" = "$2" ] && return; sleep 0.1; done
  fail "$1 is \"$got\", not \"$2\""; }
# Where X shows a window: LEFT TOP WIDTH HEIGHT, the strip's unless another is named. For the pixels.
geom() { xwininfo -id "${1:-$strip}" | awk '/Absolute upper-left|^ *(Width|Height):/ { v = v s $NF; s = " " } END { print v }'; }
# What Windows says of the strip (window_state.exe), fields $1 of: TOPMOST ALPHA LEFT TOP WIDTH HEIGHT
# DPI. Wines differ in what they show of a window to X: Wine 10 marks no topmost window without a
# window manager, and stretches a program that is not DPI-aware, as Windows does.
state() { local s; s=$("$root/scripts/wine-run" "$bin/window_state.exe" 2>>"$out/wine.log" | tr -d '\r') && cut -d' ' -f"$1" <<<"$s"; }
place() { state 3-6; }  # the strip's rectangle, as it set it
opacity() { state 2; }
# xdotool search over the visible windows, asked again when a window went while it looked: Xlib's
# BadWindow then ends it as if nothing matched.
search() {
  local found; for _ in 1 2 3 4 5; do found=$(xdotool search --onlyvisible "$@" 2>&1) && echo "$found" && return
    [[ $found == *"X Error"* ]] || return; done; false; }
windows() { search "$@" | wc -l; }
popup() {  # popup CLASS: where the visible window of that X class without a name, a popup menu, is
  for id in $(search --class "^$1\$"); do [ -n "$(xdotool getwindowname "$id")" ] || { geom "$id"; return; }; done
  false; }
aim() { read -r cx cy _ < <(geom); cx=$((cx + 20)) cy=$((cy + 15)); xdotool mousemove "$cx" "$cy" "$@"; }

quit() { [ -z "$app" ] || { kill "$app" && wait "$app"; } 2>/dev/null; app=''; }  # ends the program, if running
launch() {  # launch [EXE]: starts the program (or EXE), ending one a failed step left running, and waits for its strip
  quit; "$root/scripts/wine-run" "${1:-$exe}" >>"$out/wine.log" 2>&1 & app=$! && pids+=("$app")
  strip=$(wait_for_window Sundrovale 60) && mark=${EPOCHREALTIME/./} || fail "no strip within 60 s"; }
ends() {  # ends HOW: the program ends within 10 s with exit code 0
  wait_until 10 not kill -0 "$app" 2>/dev/null || fail "still running 10 s after $1" || return
  wait "$app" || fail "exit code $? after $1"; }

same() { [ "$(compare -metric AE -fuzz "${3:-10%}" "$1" "$2" null: 2>&1)" -le "${4:-10}" ] 2>/dev/null; }
shows() {  # shows REF [FUZZ MOST]: the strip matches the reference strip REF, cut to the strip's size: at most
  # MOST pixels (10) differ by more than FUZZ (10%); 0 0 for pixel for pixel
  local x y w h; read -r x y w h < <(geom)
  screenshot "$out/now.png" "${w}x${h}+$x+$y" && same "$out/now.png" "$out/ref-$1.png[${w}x${h}+0+0]" "${@:2}"; }
keep() { cp "$out/now.png" "$out/$n-$1.png"; fail "$2 (see $n-$1.png)"; }
piece() {  # piece REF SECONDS: the strip shows REF within SECONDS; gap is the time since the last
  wait_until "$2" shows "$1" || keep "not-$1" "no $1 within $2 s" || return
  gap=$((${EPOCHREALTIME/./} - mark)) mark=${EPOCHREALTIME/./}; }
took() { ((gap >= $(usec "$1") && gap <= $(usec "$2"))) || fail "$((gap / 1000)) ms since the last piece, not $1 to $2 s"; }
holds() { ! wait_until "$2" not shows "$1" || keep "lost-$1" "the strip left $1"; }

menu_up() { popup sundrovale.exe >/dev/null; }
dialog() { search --name '^打开$' >/dev/null; }
rclick() { aim click 3 && wait_until 5 menu_up || fail "no menu after a right-click"; }
menu() { rclick && xdotool key --delay 30 "$@" && { wait_until 5 not menu_up || fail "the menu stayed after $*"; }; }
width() { local size=$1; shift; menu "$@" Return && is size "$size" state 5-6; }  # width "W H" KEYS...
up='Down Down Down Down'
choose() {  # choose FILE [KEY]: opens the dialog from the menu, types the file's Wine path if any, and Enter (or KEY)
  rclick && xdotool key Down Return && { wait_until 10 dialog || fail "no open dialog"; } || return
  sleep 0.5  # the name box takes the keyboard a moment after the dialog shows; X cannot tell when
  { [ -z "$1" ] || xdotool type --delay 5 "Z:${1//\//\\}"; } && xdotool key "${2:-Return}"
  wait_until 10 not dialog || fail "the dialog stayed open"; }
# A step that cannot run under this Wine says why and is counted apart.
cannot() { echo "   skipped under $(wine_version): $*"; return 77; }
wine_version() { "$root/scripts/wine-run" --version | sed 's/ .*//'; }
# run_steps: runs the table of "name | step" lines on standard input; after a failure, the steps up
# to the next launch are not run, and count as failed. Prints the counts and fails when any step failed.
run_steps() {
  local name step t rc
  passed=0 failed=0 skipped=0 n=0 skip=''
  while IFS='|' read -r name step <&3; do
    n=$((n + 1)) t=$SECONDS rc=1
    [[ $step != *launch* ]] || skip=''; echo "-- $n. $name${skip:+: not run after a failure}"
    [ -n "$skip" ] || { eval "$step" && rc=0 || rc=$?; }
    case $rc in
      0) passed=$((passed + 1)); echo "   ok ($((SECONDS - t)) s)" ;;
      77) skipped=$((skipped + 1)) ;;
      *) failed=$((failed + 1)) skip=1 ;;
    esac
  done 3<&0 </dev/null
  echo "$passed passed, $failed failed$( ((skipped == 0)) || echo ", $skipped skipped")"
  [ "$failed" = 0 ]; }
