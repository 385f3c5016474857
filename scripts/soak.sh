#!/bin/bash
# Random-action soak: drives the built program with random keys, clicks,
# mode switches, searches and dialogs over a mixed folder of good and
# hostile files, now and then killing it mid-write, and counts crashes and
# hangs. Usage: soak.sh [SECONDS] (default 60). Exits non-zero on any.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
binary=${DVZ_BINARY:-build/duvavazoruzevaz}
fixtures=$(realpath -m "${DVZ_FIXTURES:-build/fixtures}")
bash scripts/make-fixtures.sh "$fixtures"

work=$(mktemp -d)
logs=${DVZ_SOAK_LOGS:-build/soak-logs}
mkdir -p "$logs"
trap 'kill $pid 2>/dev/null; rm -rf "$work"' EXIT
bash tests/corpus/make-corpus.sh "$work/corpus" 9 "$fixtures"
mkdir -p "$work/config"

actions=0 crashes=0 hangs=0 kills=0 damaged=0 refused=0
start_program() {
    printf '[Option]\nF=OK\nDrive=/\nDir=%s\nOP=OP%s\n' "$work/corpus" $((RANDOM % 2 + 1)) > "$work/config/ZOLT.ini"
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" LANG=ja_JP.UTF-8 "$binary" > /dev/null 2> "$work/stderr" &
    pid=$!
    for _ in $(seq 100); do
        main=$(xdotool search --onlyvisible --pid $pid --name '^DuvavazorUzevaz$' 2>/dev/null | head -1)
        [ -n "$main" ] && return
        sleep 0.1
    done
}

# The program answers when its about window opens within 5 s.
answers() {
    xdotool windowfocus --sync "$main" key alt+h 2>/dev/null; xdotool key a 2>/dev/null
    for _ in $(seq 50); do
        about=$(xdotool search --onlyvisible --pid $pid --name 'ﾊﾞｰｼﾞｮﾝ情報' 2>/dev/null | head -1)
        if [ -n "$about" ]; then xdotool windowfocus "$about" key Return 2>/dev/null; return 0; fi
        sleep 0.1
    done
    return 1
}

settings_whole() {
    ! grep -qv -e '^\[Option\]$' -e '^\[MPFile\]$' -e '^[A-Za-z]*=.*$' -e '^$' "$work/config/ZOLT.ini"
}

keys=(space Muhenkan Return Escape ctrl+f Down Up Page_Down Home End Tab b BackSpace F11)
click_at=("40 40" "110 40" "20 300" "40 460" "75 460" "110 460" "140 460" "170 460" "200 460" "60 490" "160 490" "150 430")
start_program
end=$((SECONDS + seconds))
while [ $SECONDS -lt $end ]; do
    actions=$((actions + 1))
    case $((RANDOM % 10)) in
        0|1|2|3) xdotool windowfocus "$main" key "${keys[RANDOM % ${#keys[@]}]}" 2>/dev/null ;;
        4|5|6) read -r x y <<< "${click_at[RANDOM % ${#click_at[@]}]}"
               xdotool mousemove --window "$main" "$x" "$y" click 1 2>/dev/null ;;
        7) xdotool windowfocus "$main" key alt+p 2>/dev/null; xdotool key o Escape 2>/dev/null ;;
        8) xdotool windowfocus "$main" key alt+p 2>/dev/null; xdotool key Right Down Return 2>/dev/null ;;
        9) if [ $((RANDOM % 4)) -eq 0 ]; then
               kill -KILL $pid; wait $pid 2>/dev/null; kills=$((kills + 1))
               settings_whole || damaged=$((damaged + 1))
               start_program
           fi ;;
    esac
    sleep 0.0$((RANDOM % 10))
    if ! kill -0 $pid 2>/dev/null; then
        wait $pid; status=$?
        # Ending through its menu or a close is fine; a signal is a crash.
        # An X server busy with the driver's own connections may refuse the
        # program's at start-up: Qt says so, and that is no crash of the
        # program. Every other abnormal end is kept with its messages.
        if [ $status -ge 128 ] && grep -q 'could not connect to display' "$work/stderr"; then
            refused=$((refused + 1))
            cp "$work/stderr" "$logs/refused-$refused.stderr"
        elif [ $status -ge 128 ]; then
            crashes=$((crashes + 1))
            cp "$work/stderr" "$logs/crash-$crashes.stderr"
            echo "soak: crash (status $status) after action $actions, stderr kept in $logs/crash-$crashes.stderr:"
            tail -5 "$work/stderr"
        fi
        start_program
    elif [ $((actions % 40)) -eq 0 ] && ! answers; then
        hangs=$((hangs + 1)); kill -KILL $pid; wait $pid 2>/dev/null; start_program
    fi
done
kill $pid 2>/dev/null; wait $pid 2>/dev/null
settings_whole || damaged=$((damaged + 1))
echo "soak: $actions actions in ${seconds} s, $kills kills, $refused X refusals, $crashes crashes, $hangs hangs, $damaged damaged settings files"
[ $crashes -eq 0 ] && [ $hangs -eq 0 ] && [ $damaged -eq 0 ]
