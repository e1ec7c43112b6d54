#!/usr/bin/env bash
# Drives the launcher's window on an X display as a player would:
#   click_login.sh EVENTS SINCE LOGS SCREENSHOT
# waits until the collector's record EVENTS (lines after the first SINCE) holds "web_load"
# (the login page is shown) and the launcher's log folder LOGS tells that the package work
# has ended ("7z decode end2", written just before the flag is raised), saves a screenshot
# of the screen to SCREENSHOT, then clicks the page's log-in button with real X input.
set -euo pipefail
events=$1
since=$2
logs=$3
screenshot=$4

# Where the page's log-in button is: the view's place in the window plus the button's
# place in the page (tests/fixtures/login/index.php).
view_x=524 view_y=140 button_x=130 button_y=282

has_event() { tail -n "+$((since + 1))" "$events" 2>/dev/null | grep -q "type=$1&"; }
deadline=$((SECONDS + 120))
installed() { cat "$logs"/*.log 2>/dev/null | grep -q "LOG_INFO 7z decode end2"; }
until has_event web_load && installed; do
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "click_login: no loaded page and installed game within 120 s" >&2
    exit 1
  fi
  sleep 0.2
done

window=$(xdotool search --onlyvisible --name '^Kavran$' | head -n 1)
if [ -z "$window" ]; then
  echo "click_login: no window titled Kavran" >&2
  exit 1
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
# The page has reported its load; give the engine a moment to paint it.
sleep 1
import -window root "$screenshot"
xdotool mousemove --sync $((X + view_x + button_x)) $((Y + view_y + button_y)) click 1
