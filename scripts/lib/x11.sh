# Shared by the run command and the end-to-end tests: a private virtual X display and waits on it.
# Source it; it sets no shell options of its own.

# Starts Xvfb on the first free display number and exports DISPLAY; XVFB_PID holds its process id.
start_virtual_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || { rm -f "$fifo"; echo "Xvfb did not start" >&2; return 1; }
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Prints the id of the first visible window titled $1, waiting up to $2 seconds (default 30).
wait_for_window() {
  local title=$1 deadline=$((SECONDS + ${2:-30})) id
  while [ $SECONDS -lt "$deadline" ]; do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# Saves a PNG of the screen rectangle WxH+X+Y ($2) to $1.
screenshot() { import -window root -crop "$2" +repage "$1"; }

# Runs "$2..." every 0.1 s until it succeeds or $1 seconds (decimals allowed) have passed.
wait_until() {
  local deadline
  deadline=$(awk -v t="$1" -v now="$(date +%s.%N)" 'BEGIN { printf "%.3f", now + t }')
  shift
  until "$@"; do
    awk -v d="$deadline" -v now="$(date +%s.%N)" 'BEGIN { exit !(now > d) }' && return 1
    sleep 0.1
  done
}

# Prints "X Y WIDTH HEIGHT" of window $1 on the screen.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { print x, y, w, h }'
}

# Prints the opacity of window $1 as 0..255; Wine drops the property when the window is opaque.
window_alpha() {
  local value
  value=$(xprop -id "$1" _NET_WM_WINDOW_OPACITY | awk -F' = ' 'NF == 2 { print $2 }')
  if [ -z "$value" ]; then echo 255; else echo $((value / 0x01010101)); fi
}

# Prints "ID X Y WIDTH HEIGHT" of the first visible nameless window of X class $1 larger than a
# pixel: the popup menu or tooltip such a program shows. Fails when there is none.
find_popup() {
  local id name x y w h
  for id in $(xdotool search --onlyvisible --class "^$1\$" 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null) || continue
    [ -z "$name" ] || continue
    read -r x y w h < <(window_geometry "$id" 2>/dev/null) || continue
    [ "${w:-0}" -gt 1 ] && [ "${h:-0}" -gt 1 ] && { echo "$id $x $y $w $h"; return 0; }
  done
  return 1
}

# Moves the pointer to ($1, $2) and waits until it is there. (xdotool's --sync alone waits 15 s when
# the pointer is already at the spot.)
pointer_to() {
  [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$1 y:$2" ] || xdotool mousemove --sync "$1" "$2"
}
