#!/usr/bin/env bash
# Soak run: the sanitizer build of the game on a private X server, driven by random input for
# both players and the menus for N minutes (default 10). Every cycle leaves the match for the menu
# and enters it again; every few cycles the arena is swapped for one that is lost at once, so the
# win screen opens and "Restart" is chosen several times. VmRSS is sampled at every match entry.
# At the end the game gets SIGTERM and must exit with status 0, without sanitizer or leak reports,
# and with less than 5 MB of RSS growth between the 10th and the 50th match entry.
#
#   tools/soak.sh [minutes]        BUILD=<sanitizer build dir> (default build-asan), or GAME=<executable>
set -u

MINUTES=${1:-10}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-build-asan}
case "$BUILD" in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
GAME=${GAME:-$BUILD/bin/bramblot}
RSS_LIMIT_KB=$((5 * 1024))

for tool in Xvfb xdotool python3; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is missing (tools/setup.sh test installs it)"; exit 2; }
done
if [ ! -x "$GAME" ]; then
    echo "soak: building the sanitizer game in $BUILD"
    cmake -S "$ROOT" -B "$BUILD" -DBRAMBLOT_TESTS=OFF -DBRAMBLOT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
          -DBRAMBLOT_BIN_DIR="$BUILD/bin" >/dev/null && cmake --build "$BUILD" -j2 --target bramblot >/dev/null \
        || { echo "soak: build failed"; exit 2; }
fi

WORK=$(mktemp -d /tmp/bramblot-soak.XXXXXX)
mkdir -p "$WORK/bin"
cp -r "$ROOT/assets" "$WORK/assets"
cp "$WORK/assets/game.tmj" "$WORK/arena.tmj"
# Player 0 starts in a chasm with one heart: every start and every restart ends on the win screen.
python3 - "$WORK/arena.tmj" "$WORK/lost-at-once.tmj" <<'PY'
import json, sys
arena = json.load(open(sys.argv[1]))
for layer in arena["layers"]:
    for obj in layer.get("objects", []):
        if obj.get("name") == "Player0":
            obj["x"], obj["y"] = 400, 496
            for prop in obj.get("properties", []):
                if prop["name"] == "Health":
                    prop["value"] = 1
json.dump(arena, open(sys.argv[2], "w"))
PY

XVFB_PID=""
GAME_PID=""
cleanup() {
    [ -n "$GAME_PID" ] && kill -KILL "$GAME_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

exec 9<> <(:)
Xvfb -displayfd 9 -screen 0 1920x1080x24 -noreset -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB_PID=$!
read -r -t 20 DISPLAY_NUMBER <&9 || { echo "soak: Xvfb did not start"; exit 2; }
export DISPLAY=":$DISPLAY_NUMBER"

export ALSOFT_DRIVERS=null
# A small quarantine, so freed memory held back by ASan does not pass for growth.
export ASAN_OPTIONS="detect_leaks=1:quarantine_size_mb=16:thread_local_quarantine_size_kb=64"
(cd "$WORK/bin" && exec "$GAME" >"$WORK/stdout.log" 2>"$WORK/stderr.log") &
GAME_PID=$!

key() { xdotool "$@" >/dev/null 2>&1; }
tap() { key keydown "$1" sleep 0.15 keyup "$1" sleep 0.35; }
alive() { kill -0 "$GAME_PID" 2>/dev/null; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null; }

xdotool search --sync --name Bramblot >/dev/null 2>&1
sleep 3

P0_KEYS=(w a s d)
P1_KEYS=(Up Down Left Right)
# Random walking for both players (player 0 also throws); never Return or Escape, which would
# choose on a win screen reached by chance or leave the match.
random_play() {
    local end=$((SECONDS + $1))
    while [ $SECONDS -lt $end ] && alive; do
        local k0=${P0_KEYS[$((RANDOM % 4))]} k1=${P1_KEYS[$((RANDOM % 4))]}
        local hold
        hold=$(printf '0.%02d' $((10 + RANDOM % 60)))
        key keydown "$k0" keydown "$k1" sleep "$hold" keyup "$k0" keyup "$k1"
        [ $((RANDOM % 3)) -eq 0 ] && key keydown space sleep 0.05 keyup space
    done
}

# The menu keeps its mark between visits (Start 0, Controls 1, Exit 2, wrapping), so the script
# follows it: random moves, now and then a look at the controls screen, then back to "Start".
MARK=0
move() {
    tap "$1"
    if [ "$1" = Down ]; then MARK=$(((MARK + 1) % 3)); else MARK=$(((MARK + 2) % 3)); fi
}
mark_start() {
    while [ $MARK -ne 0 ]; do move Up; done
}
random_menu() {
    local moves=$((RANDOM % 4)) i
    for ((i = 0; i < moves; i++)); do
        if [ $((RANDOM % 2)) -eq 0 ]; then move Down; else move Up; fi
    done
    if [ $((RANDOM % 4)) -eq 0 ]; then
        while [ $MARK -ne 1 ]; do move Down; done
        tap Return; sleep 0.5; tap Escape; sleep 0.5
    fi
    mark_start
}

START=$SECONDS
DEADLINE=$((START + MINUTES * 60))
ENTRIES=0
RESTARTS=0
declare -a RSS
while [ $SECONDS -lt $DEADLINE ] && alive; do
    restart_cycle=$(( ENTRIES % 6 == 5 ))
    if [ $restart_cycle -eq 1 ]; then cp "$WORK/lost-at-once.tmj" "$WORK/assets/game.tmj"; fi
    random_menu
    tap Return
    sleep 2
    ENTRIES=$((ENTRIES + 1))
    RSS[$ENTRIES]=$(rss_kb)
    if [ $restart_cycle -eq 1 ]; then
        cp "$WORK/arena.tmj" "$WORK/assets/game.tmj"
        for _ in 1 2 3; do sleep 2; tap Return; RESTARTS=$((RESTARTS + 1)); done
        sleep 1
    else
        random_play $((2 + RANDOM % 3))
    fi
    tap Escape
    sleep 1
done
RAN=$((SECONDS - START))

STATUS=-1
if alive; then
    kill -TERM "$GAME_PID"
    for _ in $(seq 1 600); do alive || break; sleep 0.1; done
    if alive; then
        echo "soak: the game did not end within 60 s of SIGTERM"
    else
        wait "$GAME_PID"; STATUS=$?
    fi
else
    wait "$GAME_PID"; STATUS=$?
    echo "soak: the game ended by itself before the soak was over"
fi
GAME_PID=""

FAIL=0
SANITIZER=$(grep -cE 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$WORK/stderr.log")
WINS=$(grep -c ' won!' "$WORK/stdout.log")
TRACES_OK=yes
for trace in startup runtime; do
    python3 -c "import json,sys; json.load(open(sys.argv[1]))" "$WORK/bin/$trace.json" 2>/dev/null || TRACES_OK=no
done

# RSS swings by a few MB from one entry to the next (what the last match left in the allocator), so
# each end of the comparison is the median of five entries around the 10th and the 50th.
median_around() {
    local centre=$1 i values=()
    for ((i = centre - 2; i <= centre + 2; i++)); do [ -n "${RSS[$i]:-}" ] && values+=("${RSS[$i]}"); done
    [ ${#values[@]} -gt 0 ] && printf '%s\n' "${values[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
LAST_LABEL=50
[ "$ENTRIES" -ge 52 ] || LAST_LABEL=$((ENTRIES - 2))
FIRST=$(median_around 10)
LAST=$(median_around "$LAST_LABEL")

echo "==== soak summary ===="
echo "ran:                 $RAN s (asked for $MINUTES min)"
echo "match entries:       $ENTRIES (leave/re-enter cycles)"
echo "win screens reached: $WINS (each left with \"Restart\" or Escape), Return presses meant for \"Restart\": $RESTARTS"
echo "exit status:         $STATUS"
echo "sanitizer reports:   $SANITIZER"
echo "trace files valid:   $TRACES_OK"
echo "VmRSS at entry 1/10/50: ${RSS[1]:-?} / ${RSS[10]:-?} / ${RSS[50]:-?} kB (medians of 5 around 10/$LAST_LABEL: ${FIRST:-?} / ${LAST:-?} kB)"
[ "$STATUS" -eq 0 ] || { echo "FAIL: exit status $STATUS"; FAIL=1; }
[ "$SANITIZER" -eq 0 ] || { echo "FAIL: sanitizer reports in $WORK/stderr.log"; FAIL=1; }
[ "$TRACES_OK" = yes ] || { echo "FAIL: a trace file is not valid JSON"; FAIL=1; }
[ "$ENTRIES" -ge 50 ] || { echo "FAIL: only $ENTRIES match entries, 50 needed"; FAIL=1; }
if [ -n "$FIRST" ] && [ -n "$LAST" ]; then
    GROWTH=$((LAST - FIRST))
    echo "RSS growth 10th -> ${LAST_LABEL}th entry (medians): $GROWTH kB (limit $RSS_LIMIT_KB kB)"
    [ "$GROWTH" -lt "$RSS_LIMIT_KB" ] || { echo "FAIL: RSS grew by $GROWTH kB"; FAIL=1; }
else
    echo "FAIL: not enough RSS samples"; FAIL=1
fi
echo "RSS samples (kB): ${RSS[*]}"
echo "logs: $WORK"
[ $FAIL -eq 0 ] && echo "PASS" || echo "FAIL"
exit $FAIL
