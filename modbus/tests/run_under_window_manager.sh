#!/usr/bin/env bash
# Runs a test program on a virtual X server with a window manager, where
# windows are activated and focused as on a user's desktop (the offscreen
# platform only imitates that). Exits 77 (skipped) when the X server or the
# window manager is not installed.
set -uo pipefail
if ! command -v xvfb-run >/dev/null || ! command -v matchbox-window-manager >/dev/null; then
  echo "skipped: needs xvfb-run and matchbox-window-manager"
  exit 77
fi
exec xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  matchbox-window-manager -use_titlebar no &
  wm=$!
  QT_QPA_PLATFORM=xcb "$@"
  status=$?
  kill "$wm" 2>/dev/null
  wait "$wm" 2>/dev/null
  exit "$status"' run_under_window_manager "$@"
