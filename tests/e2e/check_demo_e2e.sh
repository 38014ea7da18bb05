#!/usr/bin/env bash
# End to end: the real vesk-bar against the real demo service, under the X server in DISPLAY, with a
# private session bus, a fake StatusNotifierWatcher, private XDG folders and a stand-in xdg-open.
#   1. start-up loads the feed and checks for an update; the tray item's title names the next meeting;
#   2. Ctrl+Alt+A puts the demo's open times on the clipboard as plain text and HTML;
#   3. a quick-add sentence typed into the panel creates a meeting that then shows in the panel;
#   4. signed out, "Sign in with Vesk" opens the demo's sign-in page, whose link reaches the app through
#      a second `vesk-bar 'vesk://connect?...'` process carrying the state the app stored.
# Usage: check_demo_e2e.sh VESK_BAR DEMO_SERVICE
set -euo pipefail
app=$1
service=$2
here=$(cd "$(dirname "$0")" && pwd)
watcher_script=$here/../support/fake_sni_watcher.py
driver=$here/drive_panel.py
[ -n "${DISPLAY:-}" ] || { echo "SKIP: no DISPLAY"; exit 0; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    echo "--- requests:" >&2; cat "$work/requests.log" >&2 || true
    echo "--- tray:" >&2; cat "$work/sni.json" >&2 || true
    echo "--- app:" >&2; tail -n 30 "$work/app.log" >&2 || true
    exit 1
}
# wait_for SECONDS COMMAND...: polls the command every 0.1 s.
wait_for() {
    local deadline=$((SECONDS + $1)); shift
    until "$@" >/dev/null 2>&1; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/bin"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb QT_QUICK_BACKEND=software QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset WAYLAND_DISPLAY

# A session bus of our own, so the fake watcher is the only one.
read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
pids+=("$bus_pid")
export DBUS_SESSION_BUS_ADDRESS=$bus_address
"$watcher_script" --state "$work/sni.json" &
pids+=($!)
wait_for 10 test -f "$work/sni.json" || fail "the fake watcher did not start"

"$service" --port 0 --log "$work/requests.log" >"$work/service.out" &
pids+=($!)
wait_for 10 test -s "$work/service.out" || fail "the demo service did not start"
base=$(head -n 1 "$work/service.out")
token=$("$service" --token)
export VESK_BASE_URL=$base VESK_WEB_URL=$base

# The browser: fetches the page it is given and follows its vesk:// link with a second vesk-bar.
cat >"$work/bin/xdg-open" <<STANDIN
#!/usr/bin/python3
import html, re, subprocess, sys, urllib.request
url = sys.argv[1]
with open("$work/opened.txt", "a") as log:
    log.write(url + "\n")
if "/mac/connect" in url:
    page = urllib.request.urlopen(url, timeout=10).read().decode()
    link = html.unescape(re.search(r'href="(vesk://[^"]+)"', page).group(1))
    with open("$work/callback.txt", "w") as log:
        log.write(link + "\n")
    subprocess.run(["$app", link], timeout=20)
STANDIN
chmod +x "$work/bin/xdg-open"
export PATH=$work/bin:$PATH

write_token() {
    mkdir -p "$XDG_DATA_HOME/Vesk"
    chmod 700 "$XDG_DATA_HOME/Vesk"
    (umask 077 && printf '%s' "$token" >"$XDG_DATA_HOME/Vesk/token")
}
start_app() {
    "$app" >>"$work/app.log" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
}
stop_app() {
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
}
tray_title() {
    /usr/bin/python3 -c 'import json,sys; i=json.load(open(sys.argv[1]))["items"]; print(i[-1]["label"] if i else "")' \
        "$work/sni.json"
}
# The title the app should show for the demo's feed: the first meeting not yet over and not a no-show.
expected_title() {
    curl -s -H "Authorization: Bearer $token" "$base/api/today" | /usr/bin/python3 -c '
import json, sys, datetime
now = datetime.datetime.now(datetime.timezone.utc)
for m in json.load(sys.stdin)["meetings"]:
    start = datetime.datetime.fromisoformat(m["startsAt"].replace("Z", "+00:00"))
    end = datetime.datetime.fromisoformat(m["endsAt"].replace("Z", "+00:00"))
    if end > now and m["status"] != "no_show":
        if start.astimezone().date() != now.astimezone().date():
            break
        minutes = int((start - now).total_seconds() // 60)
        print("now" if start <= now else ("in %dm" % minutes if minutes <= 59 else ""))
        break'
}
item_registered() {
    /usr/bin/python3 -c 'import json,sys; sys.exit(not json.load(open(sys.argv[1]))["items"])' "$work/sni.json"
}
panel_window() { xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | head -n 1; }

# 1. Start-up.
write_token
start_app
wait_for 20 item_registered || fail "no tray item"
wait_for 20 grep -q '^GET /api/today 200' "$work/requests.log" || fail "no feed load at start-up"
wait_for 10 grep -q '^GET /download/version.json 200' "$work/requests.log" || fail "no update check at start-up"
want=$(expected_title)
[ -n "$want" ] || fail "the demo's feed has no meeting to name"
title_is() { [ "$(tray_title)" = "$1" ]; }
wait_for 10 title_is "$want" || fail "tray label '$(tray_title)', expected '$want'"
echo "ok: start-up feed, update check, tray title '$want'"

# 2. Ctrl+Alt+A.
wait_for 10 xdotool key ctrl+alt+a
wait_for 10 grep -q '^POST /api/app/availability 200' "$work/requests.log" || fail "the hot key sent no request"
wait_for 10 sh -c 'xclip -selection clipboard -o -t text/plain | grep -q "Here are a few times"' \
    || fail "no plain-text open times on the clipboard"
wait_for 5 sh -c 'xclip -selection clipboard -o -t text/html | grep -q "<li><b>"' || fail "no HTML open times on the clipboard"
echo "ok: Ctrl+Alt+A put the open times on the clipboard in both formats"

# 3. Quick add, typed into the panel.
dbus-send --session --type=method_call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher test.Control.Activate
panel_open() { [ -n "$(panel_window)" ]; }
wait_for 10 panel_open || fail "the panel did not open"
/usr/bin/python3 "$driver" focus "New event" || fail "no quick-add field"
xdotool windowfocus --sync "$(panel_window)" 2>/dev/null || true
sentence="Coffee with Nils tomorrow at 9:45am"
xdotool type --delay 20 "$sentence"
xdotool key Return
/usr/bin/python3 "$driver" press "Create & invite" || fail "no draft card for '$sentence'"
wait_for 10 grep -q '^POST /api/app/quick-add/create 200' "$work/requests.log" || fail "nothing created"
/usr/bin/python3 "$driver" wait "Coffee with Nils" || fail "the new meeting is not in the panel"
curl -s -H "Authorization: Bearer $token" "$base/api/today" | grep -q '"title":"Coffee with Nils"' \
    || fail "the service has no such meeting"
echo "ok: quick add created a meeting that shows in the panel"

# 4. Browser sign-in, from a signed-out start.
stop_app
rm -f "$XDG_DATA_HOME/Vesk/token"
: >"$work/requests.log"
wait_for 10 sh -c '! grep -q "\"service\"" "$0"' "$work/sni.json" || fail "the first item stayed registered"
start_app
wait_for 20 item_registered || fail "no tray item after the restart"
dbus-send --session --type=method_call --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher test.Control.Activate
/usr/bin/python3 "$driver" press "Sign in with Vesk" || fail "no sign-in button"
# The token is accepted only with the state the app stored before opening the page.
wait_for 20 test -s "$work/callback.txt" || fail "the sign-in page was not opened: $(cat "$work/opened.txt" 2>/dev/null)"
token_is() { [ "$(cat "$XDG_DATA_HOME/Vesk/token" 2>/dev/null)" = "$1" ]; }
wait_for 20 token_is "$token" || fail "the token was not stored"
wait_for 10 grep -q '^GET /api/today 200' "$work/requests.log" || fail "no feed load after sign-in"
kill -0 "$app_pid" || fail "the app ended"
echo "ok: browser sign-in through a second vesk-bar process"
echo "PASS"
