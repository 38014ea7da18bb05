#!/usr/bin/env bash
# End to end: the real vesk-bar against the real demo service, under the X server in DISPLAY, with a
# private session bus, a fake StatusNotifierWatcher, private XDG folders and a stand-in browser:
#   1. start-up loads the feed and checks for an update; the tray title names the next meeting;
#   2. Ctrl+Alt+A puts the open times on the clipboard as plain text and HTML;
#   3. a sentence typed into the panel's quick add creates a meeting that then shows in the panel;
#   4. signed out, "Sign in with Vesk" opens the sign-in page, whose link reaches the app through a
#      second `vesk-bar 'vesk://connect?...'` process carrying the state the app stored.
# Usage: check_demo_e2e.sh VESK_BAR DEMO_SERVICE
set -euo pipefail
app=$1
service=$2
here=$(cd "$(dirname "$0")" && pwd)
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no DISPLAY"; exit 0; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; tail -n 30 "$work/requests.log" "$work/sni.json" "$work/app.log" >&2; exit 1; }
# wait_for SECONDS COMMAND...: polls the command every 0.1 s.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
py() { /usr/bin/python3 "$@"; }

export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=xcb QT_QUICK_BACKEND=software QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
mkdir -p "$XDG_DATA_HOME/Vesk" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR" "$XDG_DATA_HOME/Vesk"
unset WAYLAND_DISPLAY

read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
"$here/../support/fake_sni_watcher.py" --state "$work/sni.json" &
pids+=($!)
"$service" --port 0 --log "$work/requests.log" >"$work/service.out" &
pids+=($!)
wait_for 10 test -f "$work/sni.json" -a -s "$work/service.out" || fail "the watcher or the service did not start"
base=$(head -n 1 "$work/service.out")
token=$("$service" --token)
export VESK_BASE_URL=$base VESK_WEB_URL=$base

# The browser fetches the page it is given and follows its vesk:// link with a second vesk-bar.
cat >"$work/bin/xdg-open" <<STANDIN
#!/usr/bin/python3
import html, re, subprocess, sys, urllib.request
url = sys.argv[1]
if "/mac/connect" in url:
    page = urllib.request.urlopen(url, timeout=10).read().decode()
    link = html.unescape(re.search(r'href="(vesk://[^"]+)"', page).group(1))
    open("$work/callback.txt", "w").write(link + "\n")
    subprocess.run(["$app", link], timeout=20)
STANDIN
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

start_app() {
    "$app" >>"$work/app.log" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
    wait_for 20 py -c 'import json,sys; sys.exit(not json.load(open(sys.argv[1]))["items"])' "$work/sni.json" \
        || fail "no tray item"
}
logged() { wait_for "$1" grep -q "^$2" "$work/requests.log" || fail "${3:-no $2}"; }
open_panel() { dbus-send --session --type=method_call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher test.Control.Activate; }
# The title for the demo's feed: the first meeting not yet over and not a no-show, if it is today.
expected_title() {
    curl -s -H "Authorization: Bearer $token" "$base/api/today" | py -c '
import json, sys, datetime
now = datetime.datetime.now(datetime.timezone.utc)
for m in json.load(sys.stdin)["meetings"]:
    start, end = (datetime.datetime.fromisoformat(m[k].replace("Z", "+00:00")) for k in ("startsAt", "endsAt"))
    if end > now and m["status"] != "no_show":
        if start.astimezone().date() == now.astimezone().date():
            minutes = int((start - now).total_seconds() // 60)
            print("now" if start <= now else ("in %dm" % minutes if minutes <= 59 else ""))
        break'
}
title_is() { [ "$(py -c 'import json,sys; i=json.load(open(sys.argv[1]))["items"]; print(i[-1]["label"] if i else "")' "$work/sni.json")" = "$1" ]; }

# 1. Start-up.
(umask 077 && printf '%s' "$token" >"$XDG_DATA_HOME/Vesk/token")
start_app
logged 20 'GET /api/today 200'
logged 10 'GET /download/version.json 200'
want=$(expected_title)
[ -n "$want" ] || fail "the demo's feed has no meeting to name"
wait_for 10 title_is "$want" || fail "tray title is not '$want'"
echo "ok: start-up feed, update check, tray title '$want'"

# 2. Ctrl+Alt+A.
wait_for 10 xdotool key ctrl+alt+a
logged 10 'POST /api/app/availability 200'
wait_for 10 sh -c 'xclip -selection clipboard -o -t text/plain | grep -q "Here are a few times"' || fail "no plain text"
wait_for 5 sh -c 'xclip -selection clipboard -o -t text/html | grep -q "<li><b>"' || fail "no HTML"
echo "ok: Ctrl+Alt+A put the open times on the clipboard in both formats"

# 3. Quick add, typed into the panel.
open_panel
py "$here/drive_panel.py" focus "New event" || fail "no quick-add field"
xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$app_pid" | head -n 1)" 2>/dev/null || true
xdotool type --delay 20 "Coffee with Nils tomorrow at 9:45am"
xdotool key Return
py "$here/drive_panel.py" press "Create & invite" || fail "no draft card"
logged 10 'POST /api/app/quick-add/create 200'
py "$here/drive_panel.py" wait "Coffee with Nils" || fail "the new meeting is not in the panel"
echo "ok: quick add created a meeting that shows in the panel"

# 4. Browser sign-in from a signed-out start; the token counts only with the state the app stored.
kill "$app_pid" && wait "$app_pid" 2>/dev/null || true
rm -f "$XDG_DATA_HOME/Vesk/token"
: >"$work/requests.log"
wait_for 10 sh -c '! grep -q "\"service\"" "$0"' "$work/sni.json" || fail "the first item stayed registered"
start_app
open_panel
py "$here/drive_panel.py" press "Sign in with Vesk" || fail "no sign-in button"
wait_for 20 test -s "$work/callback.txt" || fail "the sign-in page was not opened"
wait_for 20 sh -c '[ "$(cat "$0")" = "$1" ]' "$XDG_DATA_HOME/Vesk/token" "$token" || fail "the token was not stored"
logged 10 'GET /api/today 200' "no feed load after sign-in"
kill -0 "$app_pid" || fail "the app ended"
echo "ok: browser sign-in through a second vesk-bar process"
echo PASS
