#!/usr/bin/env bash
# End-to-end run: starts sundrovale.exe under Wine on a private X display and uses it as a person
# would, step by step from the table at the end; asks Windows of its window, and compares what it
# draws with reference strips drawn by draw_text.exe under the same Wine.
#   tests/e2e/run.sh [BUILD]: the program of build/BUILD (windows, the default, or windows32).
# Pictures and logs: build/e2e/BUILD/.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-windows} out=$root/build/e2e/${1:-windows}
. "$root/tests/e2e/lib.sh"
e2e_start

# The texts opened through the dialog, all made here. The GB 18030 file is opened on the welcome
# text's second piece, at offset 23, so 23 characters come first, then P1 (13, three of them four-byte
# sequences) and P2 (52) at the next width; a stray byte must not empty it. The UTF-8 file's first
# line ends in a lone CR, the end of a piece that is drawn without it.
P1=©春眠不觉晓•处处闻啼鸟ö U1=统一码八位元文本测试第一行 U2=之后还有更多的文字 B=春眠不覺曉，處處聞啼鳥。夜來風雨聲，花落知多少。
P2=雨声花落知多少床前明月光疑是地上霜举头望明月低头思故乡白日依山尽黄河入海流欲穷千里目更上一层楼红豆生南国
{ printf '%s' "千山鸟飞绝万径人踪灭孤舟蓑笠翁独钓寒江雪独坐幽$P1${P2}春来发几枝" | iconv -f UTF-8 -t GB18030; printf '\xff\r\n\xd6'; } >"$out/gb18030.txt"
printf '%s\r%s\n' "$U1" "$U2" >"$out/utf8.txt"
printf '%s\n' "$B" | iconv -f UTF-8 -t BIG5 >"$out/big5.txt"
# The menu's labels, as the resource script lists them and the strip shows them. The steps pick each
# command by its label (the width commands by where the .rc puts the label, the others by the access
# key in it) and check what it does as the user's guide (docs/README.txt) says:
#   打开文件...  opens the file dialog     增加透明度(&q)  more opaque     减小透明度(&a)  more transparent
#   宽度增加     wider                     宽度减小        narrower        关闭程序(&x)    ends the program
mapfile -t labels < <(sed -n '/^ *MENUITEM/{s/^[^"]*"//; s/".*//; s/\\t/\t/g; p}' "$root/shell/resources/sundrovale.rc")
refs=(blank '' welcome_1 欢迎使用蕨汀浮卷机 welcome_2 双击窗口暂停或者继续阅读 file_1 "$P1" file_2 "$P2" utf8 "$U1" utf8_2 "$U2" big5 "$B")

draw_references() {  # pictures of the reference strips and of a menu of the .rc's labels
  local texts=() i
  for ((i = 1; i < ${#refs[@]}; i += 2)); do texts+=("${refs[i]}"); done
  wine "$bin/draw_text.exe" 400 300 "${texts[@]}" --menu "${labels[@]}" &
  wait_until 30 eval 'read -r x y w h < <(popup draw_text.exe) && screenshot "$out/ref-menu.png" "${w}x${h}+$x+$y" &&
    (($(identify -format %k "$out/ref-menu.png") > 2))' || fail "no reference menu" || return  # painted: more than 2 colours
  for ((i = 0; i < ${#refs[@]}; i += 2)); do screenshot "$out/ref-${refs[i]}.png" "850x30+400+$((300 + 20 * i))"; done
  xdotool key Escape && wait_until 10 not kill -0 $! 2>/dev/null; }
start_state() {
  { wait_until 3 shows blank || keep start "the strip is not blank"; } && is place "100 100 250 30" place &&
    is "X's window" "100 100 250 30" geom && is opacity 100 opacity && is "on top" 1 state 1 &&
    is "windows titled Sundrovale" 1 windows --name '^Sundrovale$'; }
menu_shown() {  # the menu opens at the click and looks like the reference
  rclick && is "the menu's corner" "$cx $cy" eval 'popup sundrovale.exe | cut -d" " -f1-2' || return
  local x y w h; read -r x y w h < <(popup sundrovale.exe)
  wait_until 3 eval 'screenshot "$out/menu.png" "${w}x${h}+$x+$y" && same "$out/menu.png" "$out/ref-menu.png"' ||
    fail "the menu differs from the reference (menu.png, ref-menu.png)" || return
  xdotool key Escape && wait_until 5 not menu_up; }
alt_keys() {
  local before; before="$(place) $(opacity)"
  aim click 1 && xdotool key --delay 100 alt+question alt+slash && holds welcome_2 1 &&
    is "place and opacity" "$before" eval 'echo "$(place) $(opacity)"' && is windows 1 windows --class '^sundrovale.exe$'; }
drag() {  # presses the left button on the strip, moves by 60,40 in small steps, lets go
  local x y w h; read -r x y w h < <(geom) && aim mousedown 1 &&
    xdotool $(for s in {1..20}; do echo mousemove $((cx + 3 * s)) $((cy + 2 * s)) sleep 0.02; done) mouseup 1
  is place "$((x + 60)) $((y + 40)) $w $h" place && shows welcome_2; }
at() {  # at LABEL: the keys that reach LABEL in the menu
  local i; for i in "${!labels[@]}"; do [ "${labels[i]}" != "$1" ] || { printf 'Down %.0s' $(seq 0 "$i"); return; }; done
  fail "the menu has no $1" >&2; echo Escape; return 1; }
picture() { import -window "$strip" rgb:- | md5sum; }
next_piece() {  # waits up to 7 s for the strip to show something else; tick is when it did
  local before end=$((${EPOCHREALTIME/./} + 7000000)); before=$(picture)
  until [ "$(picture)" != "$before" ]; do ((${EPOCHREALTIME/./} < end)) || { fail "no new piece within 7 s"; return; }; done
  tick=${EPOCHREALTIME/./}; }
rhythm() {  # four intervals between pieces, one of them from a resume after a short pause: 4.5 s on average
  local t0 t1 t2 resumed t3 t4 mean
  next_piece && t0=$tick && next_piece && t1=$tick && next_piece && t2=$tick || return
  aim click --repeat 2 --delay 80 1 && sleep 1 && aim click --repeat 2 --delay 80 1 && resumed=${EPOCHREALTIME/./}
  next_piece && t3=$tick && next_piece && t4=$tick || return
  mean=$(((t1 - t0 + t2 - t1 + t3 - resumed + t4 - t3) / 4000))
  echo "   intervals $(((t1 - t0) / 1000)), $(((t2 - t1) / 1000)), $(((t3 - resumed) / 1000)), $(((t4 - t3) / 1000)) ms; mean $mean ms"
  ((mean >= 4300 && mean <= 4700)) || fail "the pieces come every $mean ms on average, not 4500 ± 200"; }
refused() {  # refused NAME: the dialog says a typed NAME does not exist; the user closes the message and cancels
  local shown; shown=$(windows --class '^sundrovale.exe$')  # the strip, the menu gone
  rclick && xdotool key Down Return && { wait_until 10 dialog || fail "no open dialog"; } || return
  sleep 0.5 && xdotool type --delay 5 "Z:${1//\//\\}" && xdotool key Return
  wait_until 5 eval '(($(windows --class "^sundrovale.exe$") == shown + 2))' || fail "no message that the file does not exist" || return
  xdotool key Return && wait_until 5 eval '(($(windows --class "^sundrovale.exe$") == shown + 1))' && xdotool key Escape &&
    { wait_until 10 not dialog || fail "the dialog stayed open"; }; }
rss() { awk '/^RssAnon/ { print $2 }' "/proc/$app/status"; }
# Menus the strip holds: Wine's GetGuiResources is a stub that counts nothing, so its menu trace
# (WINEDEBUG=trace+menu for this one process) counts each menu made and destroyed.
menus() { awk '/:trace:menu:create_menu return/ { held[$NF] } /:trace:menu:NtUserDestroyMenu \(0x/ { delete held[substr($NF, 2, length($NF) - 2)] }
  END { print length(held) }' "$out/wine.log"; }
soak() {  # soak WARM N KB: opacity up and down in turn, WARM times, then N times: memory grows KB at most, menus not at all
  local i kb held
  for ((i = 1; i <= $1 + $2; i++)); do
    ((i != $1 + 1)) || kb=$(rss) held=$(menus)
    if ((i % 2)); then menu q && is opacity 150 opacity; else menu a && is opacity 100 opacity; fi || return
  done
  echo "   resident memory: $kb kB after $1 commands, $(rss) kB after $2 more; menus held: $held, then $(menus)"
  (($(menus) == held)) || fail "$(($(menus) - held)) more menus held after $2 commands" || return
  (($(rss) - kb <= $3)) || fail "memory grew by $(($(rss) - kb)) kB"; }

run_steps <<'EOF'
wine passes exit codes through | code=0; wine cmd /c exit 3 || code=$?; [ $code = 3 ] || fail "wine gave $code for 3"
reference strips and menu, the menu from the .rc | draw_references
one blank strip, 250x30 at 100,100, on top, opacity 100 | launch && start_state
the first piece about 4.5 s after the start | piece welcome_1 8 && took 3.8 6.5
the next piece one tick later | piece welcome_2 7 && took 3.8 5.5
a double-click on the second piece pauses it over a tick | aim click --repeat 2 --delay 80 1 && holds welcome_2 5.5
the menu opens at the click, with the .rc's labels | menu_shown
Alt+? and Alt+/ change nothing | alt_keys
a drag moves the strip by the drag distance | drag
a GB 18030 file opened on the second piece shows at once, from offset 23 | choose "$out/gb18030.txt" && piece file_1 2
宽度增加 widens the strip at once; the piece stays until the next tick | wider=$(at 宽度增加) && width "450 30" $wider && width "650 30" $wider && width "850 30" $wider && piece file_1 2
a double-click resumes: the next tick cuts 52 characters | aim click --repeat 2 --delay 80 1 && piece file_2 6.5 && aim click --repeat 2 --delay 80 1
a cancelled open keeps the piece | choose '' Escape && piece file_2 2 && holds file_2 1
宽度减小 narrows it at once | width "650 30" $(at 宽度减小) && shows file_2
a UTF-8 file opens; its piece ends in a lone CR, not drawn | choose "$out/utf8.txt" && piece utf8 2
Enter in the next dialog reopens the last file, reading on from the offset | choose '' Return && piece utf8_2 2
a Big5 file opens | choose "$out/big5.txt" && piece big5 2
a mistyped name, 280 characters long, is refused; the piece on show stays | refused "$out/$(printf 'x%.0s' {1..280}).txt" && piece big5 3 && holds big5 1
关闭程序(x) ends the program with exit code 0 | menu x && ends "the Close command"
started afresh, a piece every 4.5 s, across a pause and resume too | WINEDEBUG=trace+menu launch && rhythm
paused, memory and menus held stay flat over 60 menu commands; 增加透明度(q) more opaque, 减小透明度(a) more transparent | aim click --repeat 2 --delay 80 1 && soak 20 60 32
closing the window from outside ends it with exit code 0 | wine taskkill /IM sundrovale.exe && ends taskkill
EOF
