#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives the real velmora-tesk window from outside, as a user would, inside an X display
# (started by run_e2e.sh under xvfb-run). Usage: drive_window.sh PROGRAM BOOK WORKDIR
set -euo pipefail
program=$1
book=$2
work=$3

# Qt's file dialogs are in Russian ("Сохранить как"); English where its translation is missing.
save_title="Сохранить|Save"

"$program" "$book" >"$work/program.log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
. "$(dirname "$0")/drive_common.sh"

window=$(xdotool search --sync --onlyvisible --name "Velmora Tesk 1.0" | head -n 1)
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
# The client area (704 × 626) lies below the menu bar, at the window's bottom.
left=$X
top=$((Y + HEIGHT - 626))
log "window $window at $X,$Y size ${WIDTH}x$HEIGHT, client at $left,$top"

click() {  # click X Y in client coordinates
  xdotool mousemove --sync $((left + $1)) $((top + $2)) click 1
  sleep 0.4
}
click_in() {  # click X Y in the client coordinates of window $shown
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$shown")"
  xdotool mousemove --sync $((X + $1)) $((Y + $2)) click 1
  sleep 0.3
}

log "Показать всё"
click 492 12
log "menu Settings > I class"
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key Right
sleep 0.5
xdotool key Return
sleep 0.5
log "select entry 2 and delete it"
click $(entry 2)
xdotool key Delete
sleep 0.5
log "Back twice"
click 184 36
click 184 36
log "select entry 3 and delete it"
click $(entry 3)
xdotool key Delete
sleep 0.5

log "save through the save dialog"
click 228 12
wait_window "$save_title"
type_path "$work/saved.DAT"

for suffix in xls xlsx; do
  log "export run 1 to .$suffix"
  click $(entry 0)
  click 360 12
  wait_window "Новая высота"
  # The start point is the proposed one; the height goes into the field below it (16,88),
  # then "В Excel" (16,128).
  click_in 96 98
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 10 "100"
  click_in 53 140
  wait_window "$save_title"
  type_path "$work/export.$suffix"
done

log "close"
kill $pid
wait $pid 2>/dev/null || true
trap - EXIT
log "done"
