# Shared by the run command and the end-to-end tests: a private virtual X display and waits on it.
# Source it; it sets no shell options of its own.

# Starts Xvfb on the first free display number, its screen XVFB_SCREEN (default 1280x800x24), and
# exports DISPLAY; XVFB_PID holds its process id.
start_virtual_display() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x800x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
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
