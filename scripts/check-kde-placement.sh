#!/bin/bash
# Where the windows land on KDE Plasma's compositor with the program on
# Wayland itself: the main window at the screen's corner, the picture and
# video windows right of it as on X, every window on the screen. Skipped
# (77) where kwin_wayland is not installed.
# Usage: check-kde-placement.sh PROGRAM FIXTURE_DIR
set -euo pipefail
program=$(realpath "$1") fixtures=$2
kwin=$(command -v kwin_wayland) || { echo "kwin_wayland is not installed: skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A container may refuse the packaged binary's file capability; a copy has none.
cp "$kwin" "$work/kwin_wayland"
mkdir -m 700 "$work/run"
mkdir -p "$work/pics" "$work/clips"
cp "$fixtures/landscape.jpg" "$work/pics/a.jpg"
cp "$fixtures/long.mpg" "$work/clips/a.mpg"

cat > "$work/list.js" <<'JS'
var windows = workspace.clientList(), out = [];
for (var i = 0; i < windows.length; i++) {
    var g = windows[i].frameGeometry;
    out.push(windows[i].caption + "|" + g.x + "|" + g.y + "|" + g.width + "|" + g.height);
}
var area = workspace.clientArea(KWin.MaximizeArea, 0, 1);
print("WINDOWS " + area.width + "|" + area.height + ";" + out.join(";"));
JS

# Runs inside the compositor's session (which starts each argument as a
# program of its own): each window list goes to its log.
cat > "$work/inside.sh" <<EOF
#!/bin/bash
list() {
    id=\$(dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.loadScript \
        string:$work/list.js string:list\$1 | awk '/int32/ {print \$2}')
    dbus-send --session --print-reply --dest=org.kde.KWin /\$id org.kde.kwin.Script.run > /dev/null
    sleep 0.5
    dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.unloadScript \
        string:list\$1 > /dev/null
}
for what in pics/a.jpg clips; do
    XDG_CONFIG_HOME=$work/config-\${what%%/*} QT_QPA_PLATFORM=wayland "$program" --new-instance "$work/\$what" \
        > "$work/program.log" 2>&1 &
    pid=\$!
    echo "AT \$what"
    for i in \$(seq 40); do
        list \${what%%/*}\$i
        if grep -a "WINDOWS" "$work/kwin.log" | tail -1 | grep -q "|.*a\.\(jpg\|mpg\)|"; then
            sleep 1 # settled
            list \${what%%/*}last
            break
        fi
    done
    kill \$pid; wait \$pid || true
done
pkill -f "^$work/kwin_wayland" # the compositor: the session ends
EOF

chmod +x "$work/inside.sh"
XDG_RUNTIME_DIR=$work/run XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE \
    timeout 120 dbus-run-session -- "$work/kwin_wayland" --virtual --xwayland --width 1280 --height 1024 \
    --socket wl-check "$work/inside.sh" > "$work/kwin.log" 2>&1 || true

# The last list taken while each window was up.
python3 - "$work/kwin.log" <<'PY'
import sys
lists, current = {}, None
for line in open(sys.argv[1], errors="replace"):
    if line.startswith("AT "):
        current = line.split()[1]
    elif "WINDOWS " in line and current:
        lists[current] = line.split("WINDOWS ", 1)[1].strip()
failures = []
for what, title in (("pics/a.jpg", "a.jpg"), ("clips", "a.mpg")):
    fields = lists.get(what, "").split(";")
    area = [int(v) for v in fields[0].split("|")] if fields[0] else [0, 0]
    windows = {w.split("|")[0]: [int(v) for v in w.split("|")[1:]] for w in fields[1:] if w}
    main, shown = windows.get("DuvavazorUzevaz"), windows.get(title)
    print(what, "area", area, "main", main, title, shown)
    if not main or not shown:
        failures.append(f"{what}: windows missing")
        continue
    if main[:2] != [0, 0]:
        failures.append(f"{what}: main window at {main[:2]}, not the corner")
    if shown[:2] != [main[0] + main[2], 0]:
        failures.append(f"{what}: {title} at {shown[:2]}, not right of the main window")
    for name, (x, y, w, h) in (("main", main), (title, shown)):
        if x < 0 or y < 0 or x + w > area[0] or y + h > area[1]:
            failures.append(f"{what}: {name} leaves the screen")
print("\n".join(failures) or "the windows stand side by side")
sys.exit(1 if failures else 0)
PY
