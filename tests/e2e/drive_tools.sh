#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the Tools menu of the real velmora-tesk window from outside, as a user would, under a
# window manager inside an X display (started by run_tools_e2e.sh under xvfb-run): the station
# check and its report, the network adjustment with heights from a file and its catalogue, and
# Back and Forward around them. Usage: drive_tools.sh PROGRAM BOOK WORKDIR
set -euo pipefail
program=$1
book=$2
work=$3

save_title="Сохранить|Save"
open_title="Открыть|Open"

openbox >"$work/openbox.log" 2>&1 &
manager=$!
sleep 1
"$program" "$book" >"$work/program.log" 2>&1 &
pid=$!
trap 'kill $pid $manager 2>/dev/null || true' EXIT
window_settle=0.7
path_settle=1.5
. "$(dirname "$0")/drive_common.sh"

window=$(xdotool search --sync --onlyvisible --name "Velmora Tesk 1.0" | head -n 1)
sleep 1
xdotool windowactivate --sync "$window"
# Where the window lies on the screen, inside the manager's frame (xwininfo gives the absolute
# place; xdotool's geometry is relative to the frame once the manager has reparented it).
info=$(xwininfo -id "$window")
X=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
Y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
HEIGHT=$(sed -n 's/.*Height: *//p' <<<"$info")
# The client area (704 × 626) lies below the menu bar, at the window's bottom.
left=$X
top=$((Y + HEIGHT - 626))
log "window $window at $X,$Y, height $HEIGHT, client at $left,$top"

click() {  # click X Y in the main window's client coordinates
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  xdotool mousemove --sync $((left + $1)) $((top + $2)) click 1
  sleep 0.5
}
gone() {  # wait until window $1 is closed
  for _ in $(seq 50); do
    xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  log "window $1 is still open"
  return 1
}
key() {
  xdotool key --clearmodifiers "$@"
  sleep 0.7
}
press() {  # click the button at X, Y of window $shown: negative values count from its right or
           # bottom edge, where the layouts keep their buttons whatever the window's size.
           # (Keys with Cyrillic access letters would need a Russian keymap on the display.)
  local info x y w h
  info=$(xwininfo -id "$shown")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")
  y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info")
  h=$(sed -n 's/.*Height: *//p' <<<"$info")
  local px=$1 py=$2
  [ "$px" -lt 0 ] && px=$((w + px))
  [ "$py" -lt 0 ] && py=$((h + py))
  xdotool mousemove --sync $((x + px)) $((y + py)) click 1
  sleep 0.7
}
picture() {  # the window $shown with its frame, as PNG
  xwd -silent -frame -id "$shown" | xwdtopnm 2>/dev/null | pnmtopng >"$1" 2>/dev/null || true
}
save_book() {  # "Сохранить в файл" under the name $1
  click 228 12
  wait_window "$save_title"
  type_path "$1"
}

log "Показать всё, select 0212 alone and delete it, then Back three times to all selected"
click 492 12
click $(entry 1)
xdotool key Delete
sleep 0.5
for _ in 1 2 3; do click 184 36; done

log "Tools > Check stations"
xdotool windowactivate --sync "$window"
key alt+t
key Return
wait_window "^Контроль станций$"
check=$shown
picture "$work/check.png"
log "Отчёт"
press -138 -23
wait_window "$save_title"
type_path "$work/report.html"
xdotool windowactivate --sync "$check" 2>/dev/null || true
key Escape
gone "$check"

log "Tools > Adjust network"
xdotool windowactivate --sync "$window"
key alt+t
key Down
key Return
wait_window "^Уравнивание сети$"
network=$shown
log "Высоты из файла"
press 135 -95
wait_window "$open_title"
type_path "$work/heights.txt"
shown=$network
xdotool windowactivate --sync "$network" 2>/dev/null || true
log "Уравнять"
press 135 -49
sleep 1
picture "$work/network.png"
log "Сохранить"
press -138 -22
wait_window "$save_title"
type_path "$work/network.csv"
xdotool windowactivate --sync "$network" 2>/dev/null || true
key Escape
gone "$network"

log "Forward three times (0212 deleted again), save; Back twice (0212 back), save"
for _ in 1 2 3; do click 536 36; done
save_book "$work/forward.DAT"
for _ in 1 2; do click 184 36; done
save_book "$work/back.DAT"

log "close"
kill $pid
wait $pid 2>/dev/null || true
kill $manager 2>/dev/null || true
trap - EXIT
log "done"
