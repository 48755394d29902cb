# SPDX-License-Identifier: MIT
# What both window drivers (drive_window.sh, drive_tools.sh) do alike, sourced by them after
# they have started the program as $pid. A driver may set, before sourcing:
#   window_settle  seconds to wait after a window came up and was focused (default 0.5)
#   path_settle    seconds to wait after a file name was confirmed in a dialog (default 1)

log() { echo "e2e: $*"; }

entry() {  # the middle of run-list entry N (from 0): the list stands at 48,48, rows 13 px high
  echo "100 $((48 + 1 + 13 * $1 + 6))"
}

wait_window() {  # wait until the program shows a window whose title matches $1 (a bash regex),
                 # focus it, keep its id in $shown. Titles are compared here, byte for byte: the
                 # search of xdotool misses Cyrillic titles under some locales.
  log "waiting for $1"
  shown=""
  for _ in $(seq 150); do
    for id in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      if [[ "$(xdotool getwindowname "$id" 2>/dev/null)" =~ $1 ]]; then
        shown=$id
        break 2
      fi
    done
    sleep 0.2
  done
  if [ -z "$shown" ]; then
    log "no window $1"
    return 1
  fi
  xdotool windowactivate --sync "$shown" 2>/dev/null || xdotool windowfocus --sync "$shown"
  sleep "${window_settle:-0.5}"
}

type_path() {  # replace the file name in a file dialog and confirm
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 10 "$1"
  sleep 0.3
  xdotool key Return
  sleep "${path_settle:-1}"
}
