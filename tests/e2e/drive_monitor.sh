#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Drives "Мониторинг осадок" of the real velmora-tesk window from outside, by keyboard alone,
# under a window manager inside an X display (started by run_tools_e2e.sh under xvfb-run): the
# program opened on each book of CYCLES in turn, the project created with the first and opened
# with the others, each book added as a cycle of the day proposed (the file's modification
# day), then mark B04 selected, the sheet saved as CSV and the report page written. Usage:
# drive_monitor.sh PROGRAM WORKDIR BOOK...
set -euo pipefail
program=$1
work=$2
shift 2

save_title="Сохранить|Save"
open_title="Открыть|Open"

openbox >"$work/openbox-monitor.log" 2>&1 &
manager=$!
pid=""
trap 'kill $pid $manager 2>/dev/null || true' EXIT
window_settle=0.7
path_settle=1.5
sleep 1
. "$(dirname "$0")/drive_common.sh"

key() {
  xdotool key --clearmodifiers "$@"
  sleep 0.7
}
picture() {  # the window $shown with its frame, as PNG
  xwd -silent -frame -id "$shown" | xwdtopnm 2>/dev/null | pnmtopng >"$1" 2>/dev/null || true
}

first=1
for book in "$@"; do
  log "open $(basename "$book")"
  "$program" "$book" >>"$work/program-monitor.log" 2>&1 &
  pid=$!
  window=$(xdotool search --sync --onlyvisible --pid "$pid" --name "Velmora Tesk 1.0" | head -n 1)
  sleep 1
  xdotool windowactivate --sync "$window"
  log "Tools > Settlement monitoring"
  key alt+t
  key Down
  key Down
  key Return
  wait_window "^Мониторинг осадок$"
  monitor=$shown
  if [ $first = 1 ]; then
    log "Создать проект: F2=10, F4, F5; marks and σ as proposed"
    key ctrl+n
    wait_window "^Новый проект мониторинга$"
    xdotool type --delay 20 "F2=10"
    key Return
    xdotool type --delay 20 "F4"
    key Return
    xdotool type --delay 20 "F5"
    key Tab
    key Tab
    key Return
    wait_window "$save_title"
    type_path "$work/works.vtm"
    first=0
  else
    log "Открыть проект"
    key ctrl+o
    wait_window "$open_title"
    type_path "$work/works.vtm"
  fi
  shown=$monitor
  xdotool windowactivate --sync "$monitor" 2>/dev/null || true
  log "Добавить цикл on the day proposed"
  key Insert
  wait_window "^Новый цикл$"
  key Return
  shown=$monitor
  xdotool windowactivate --sync "$monitor" 2>/dev/null || true
  sleep 1
  if [ "$book" = "${!#}" ]; then
    log "B04 selected in the table (the keys are there after a cycle is added): its chart framed"
    key Home
    for _ in 1 2 3 4 5 6 7 8; do xdotool key --clearmodifiers Down; sleep 0.1; done
    sleep 0.7
    picture "$work/monitor.png"
    log "Сохранить ведомость"
    key ctrl+s
    wait_window "$save_title"
    type_path "$work/works.csv"
    xdotool windowactivate --sync "$monitor" 2>/dev/null || true
    log "Отчёт"
    key ctrl+r
    wait_window "$save_title"
    type_path "$work/monitor.html"
    xdotool windowactivate --sync "$monitor" 2>/dev/null || true
  fi
  key Escape
  kill $pid
  wait $pid 2>/dev/null || true
  pid=""
done
kill $manager 2>/dev/null || true
trap - EXIT
log "done"
