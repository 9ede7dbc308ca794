#!/usr/bin/env bash
# Plays the Windows zip under wine, as a player would: unpacked into a fresh folder, on a fresh
# wine prefix, in Xvfb, without sound (ALSOFT_DRIVERS=null).
#   1. bramblot-mapcheck.exe finds the arena clean.
#   2. The game starts, a match is entered (its screen is drawn: a screenshot with the arena's
#      many colours), player 0 walks, Escape leads back to the menu and "Exit" ends the game with
#      status 0, complete traces and the output lines in bin/bramblot.log.
#   3. Alt+F4 on the match ends the game with status 0 and complete traces; this time it is
#      started from the unpacked folder, not from bin/, and must find its bin/ itself.
#   4. The session ending (wineboot --end-session: WM_QUERYENDSESSION, then WM_ENDSESSION) on the
#      match ends the game with status 0 and complete traces too.
# Every wait polls for what it waits for, with generous limits. EVIDENCE_DIR, when set, keeps the
# screenshots, traces and logs there.
#
# Usage: tools/windows-test.sh ZIP
set -euo pipefail

zip=$(realpath "${1:?usage: tools/windows-test.sh ZIP}")
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -z "${BRAMBLOT_WINDOWS_TEST_DISPLAY:-}" ]; then
  exec env BRAMBLOT_WINDOWS_TEST_DISPLAY=1 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d /tmp/bramblot-windows-test.XXXXXX)
export WINEPREFIX=$work/wineprefix WINEARCH=win64 WINEDEBUG=-all ALSOFT_DRIVERS=null
# No Mono or Gecko installer dialogs while the prefix is made: the game needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
window_title="Bramblot - a two-player"
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
  WINEPREFIX=$WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

passed=0
failed=0
check() {
  local what=$1; shift
  if "$@"; then
    echo "PASS: $what"; passed=$((passed + 1))
  else
    echo "FAIL: $what"; failed=$((failed + 1))
  fi
}
fail_now() { echo "FAIL: $*"; echo "$passed passed, $((failed + 1)) failed"; keep_evidence; exit 1; }
keep_evidence() {
  [ -n "${EVIDENCE_DIR:-}" ] || return 0
  mkdir -p "$EVIDENCE_DIR"
  cp "$work"/*.png "$work"/*.log "$EVIDENCE_DIR"/ 2>/dev/null || true
  local run file
  for run in "$work"/run-*; do
    for file in "$run"/bin/*.json "$run"/bin/*.log; do
      [ -f "$file" ] && cp "$file" "$EVIDENCE_DIR/$(basename "$run")-$(basename "$file")"
    done
  done
  return 0
}

# Polls CONDITION... every half second for up to SECONDS.
wait_for() {
  local limit=$1; shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.5
  done
}
trace_shows() { grep -q "\"$2\"" "$1" 2>/dev/null; }
game_running() { kill -0 "$game_pid" 2>/dev/null; }
game_gone() { ! game_running; }
tap() { xdotool keydown "$1" sleep "${2:-0.3}" keyup "$1" sleep 0.5; }

# Counts scope names in a trace after checking that it is one valid JSON document.
count_events() {
  /usr/bin/python3 - "$1" "$2" <<'EOF'
import json, sys
try:
    events = json.load(open(sys.argv[1]))["traceEvents"]
except (OSError, ValueError, KeyError) as error:
    print(f"{sys.argv[1]}: not a complete trace: {error}", file=sys.stderr)
    print(-1)
    sys.exit()
print(sum(1 for event in events if event.get("name") == sys.argv[2]))
EOF
}
count_is() { [ "$(count_events "$1" "$2")" = "$3" ]; }

# Distinct colours of the screen: the match draws the arena's tiles, players and hearts; the
# menu is a logo and three words on black.
screen_colours() {
  import -window root "$work/$1.png"
  convert "$work/$1.png" -format %k info:
}

echo "Preparing a fresh wine prefix in $WINEPREFIX"
"$wine" wineboot --init >"$work/wineboot.log" 2>&1 || fail_now "wineboot could not make the prefix"
/usr/lib/wine/wineserver -w

unpack() {
  local run=$work/run-$1
  mkdir -p "$run" && unzip -q "$zip" -d "$run"
  echo "$run"
}

# 1. The map checker on the arena, from the unpacked bin/.
run=$(unpack mapcheck)
(cd "$run/bin" && "$wine" bramblot-mapcheck.exe) >"$work/mapcheck.log" 2>&1 && mapcheck_status=0 || mapcheck_status=$?
cat "$work/mapcheck.log"
check "bramblot-mapcheck.exe reports the arena clean (status $mapcheck_status)" \
  grep -q ": 0 errors" "$work/mapcheck.log"
check "bramblot-mapcheck.exe exits with status 0" test "$mapcheck_status" -eq 0

# Starts the game in a freshly unpacked copy as a double-click does: through start, so it gets
# no standard streams and no console (its output must go to bin/bramblot.log), from FOLDER of the
# copy (bin, or . to check that it moves to its bin/ itself); waits for the menu.
start_game() {
  game_run=$(unpack "$1")
  local folder=$2 program='bin\bramblot.exe'
  [ "$folder" = bin ] && program=bramblot.exe
  (cd "$game_run/$folder" && exec "$wine" start /wait "$program" </dev/null >/dev/null 2>&1) &
  game_pid=$!
  wait_for 120 xdotool search --name "$window_title" >/dev/null || fail_now "$1: the game's window never appeared"
  wait_for 120 trace_shows "$game_run/bin/runtime.json" "zelk::MenuState::update" || fail_now "$1: the menu never ran"
  xdotool search --name "$window_title" windowfocus --sync 2>/dev/null || true
}

enter_match() {
  tap Return
  wait_for 120 trace_shows "$game_run/bin/runtime.json" "zelk::MainState::update" || fail_now "$1: the match never ran"
  # The arena's first frames are drawn once the match updates; give the screen a moment to show them.
  sleep 2
}

finish_game() {
  local name=$1 status
  wait_for 120 game_gone || fail_now "$name: the game did not end"
  wait "$game_pid" && status=0 || status=$?
  game_pid=
  check "$name: the game exits with status 0 (got $status)" test "$status" -eq 0
  check "$name: startup.json is complete, with one init" count_is "$game_run/bin/startup.json" "zelk::Game::init" 1
  check "$name: runtime.json is complete, the match entered and left once" \
    count_is "$game_run/bin/runtime.json" "zelk::MainState::exit" 1
}

# 2. Menu, match, walk, back, Exit.
start_game exit bin
menu_colours=$(screen_colours menu)
enter_match exit
match_colours=$(screen_colours match)
echo "distinct colours: menu $menu_colours, match $match_colours"
check "the match screen is drawn (over 60 colours; the menu has about 20)" test "$match_colours" -gt 60
tap d 1.0
tap s 0.6
screen_colours walked >/dev/null
check "the screen changes while player 0 walks" test "$(compare -metric AE "$work/match.png" "$work/walked.png" null: 2>&1 || true)" != 0
tap Escape
wait_for 60 trace_shows "$game_run/bin/runtime.json" "zelk::MainState::exit" || fail_now "exit: Escape did not leave the match"
sleep 1
tap Down
tap Down
tap Return
finish_game exit
check "exit: the menu was entered twice and left once at the end" \
  count_is "$game_run/bin/runtime.json" "zelk::MenuState::init" 2
check "exit: the output lines are in bin/bramblot.log" grep -q . "$game_run/bin/bramblot.log"

# 3. Alt+F4 on the match, the game started from the folder above its bin/.
start_game altf4 .
enter_match altf4
xdotool key alt+F4
finish_game altf4

# 4. Logoff or shutdown on the match; the last case, since it ends everything in the prefix.
start_game endsession bin
enter_match endsession
"$wine" wineboot --end-session >"$work/endsession-wineboot.log" 2>&1 || true
finish_game endsession

keep_evidence
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
