#!/usr/bin/env bash
# Two real vesk-bar processes: the second hands a sign-in callback URL to the first, which accepts
# it. `--status` reads the running instance's title (once, as JSON, and following changes) and fails
# when none runs. The service is a local server whose feed has one meeting five minutes ahead.
set -euo pipefail
app=$1

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/first.log" ] && cat "$work/first.log" >&2; exit 1; }

cat > "$work/feed.py" <<'PY'
import datetime, http.server, json
class Feed(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if not self.path.startswith("/api/today"):
            return self.send_error(404)
        start = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0) + datetime.timedelta(minutes=5)
        end = start + datetime.timedelta(minutes=30)
        body = json.dumps({"date": start.date().isoformat(), "meetings": [{
            "id": "m1", "title": "Intro with Acme", "startsAt": start.isoformat(), "endsAt": end.isoformat(),
            "room": "zoom", "status": "confirmed", "riskLevel": "low", "riskScore": 1, "watched": False,
            "people": [{"name": "Ada", "email": "ada@acme.example", "rsvp": "accepted"}]}]}).encode()
        self.send_response(200); self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body))); self.end_headers(); self.wfile.write(body)
    def log_message(self, *args): pass
server = http.server.HTTPServer(("127.0.0.1", 0), Feed)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
/usr/bin/python3 "$work/feed.py" > "$work/port" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")
mkdir -p "$work/run" "$work/data" "$work/config/Vesk"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export VESK_BASE_URL=http://127.0.0.1:$port VESK_WEB_URL=http://127.0.0.1:$port
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
state=0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01
printf '[General]\ndidSetLoginDefault=true\npendingConnectState=%s\n' "$state" > "$work/config/Vesk/Vesk.conf"

# No instance: --status fails with a clear message and does not start one.
if "$app" --status > "$work/out" 2> "$work/err"; then fail "--status without an instance exited 0"; fi
grep -q "not running" "$work/err" || fail "--status without an instance said '$(cat "$work/err")'"
[ ! -e "$work/run/vesk-bar/instance.sock" ] || fail "--status started an instance"

"$app" > "$work/first.log" 2>&1 &
first=$!
pids+=($first)
sock=$work/run/vesk-bar/instance.sock
for _ in $(seq 100); do [ -S "$sock" ] && break; sleep 0.1; done
[ -S "$sock" ] || fail "the first instance never listened"

signed_out='{"class":"signed-out","text":"","tooltip":"Vesk: signed out"}'
json=$("$app" --status --json) || fail "--status --json exited $?"
[ "$json" = "$signed_out" ] || fail "signed-out status is '$json'"
"$app" --status --follow --json > "$work/follow" 2> "$work/follow.err" &
follower=$!
pids+=($follower)
for _ in $(seq 50); do [ -s "$work/follow" ] && break; sleep 0.1; done

# A callback URL, percent-encoded as a browser may send it.
"$app" "vesk://connect?state=$state&token=vesk%5Fsecret42" || fail "second launch exited $?"

token=$work/data/Vesk/token
for _ in $(seq 100); do [ -f "$token" ] && break; sleep 0.1; done
[ "$(cat "$token" 2>/dev/null)" = "vesk_secret42" ] || fail "the first instance wrote no token, or not the one given"

# Signed in, the feed loads: the follower gets the new title at once, and --status gives the same.
for _ in $(seq 100); do grep -q '"class":"soon"' "$work/follow" && break; sleep 0.1; done
last=$(tail -n 1 "$work/follow")
echo "$last" | grep -Eq '^\{"class":"soon","text":"in (4|5)m","tooltip":"Next: Intro with Acme, [^"]+"\}$' ||
    fail "followed status is '$last' after: $(cat "$work/follow")"
[ "$(head -n 1 "$work/follow")" = "$signed_out" ] || fail "the follower's first line is '$(head -n 1 "$work/follow")'"
[ "$("$app" --status --json)" = "$last" ] || fail "--status --json differs from the followed line"
"$app" --status | grep -Eq '^in (4|5)m · Next: Intro with Acme, ' || fail "plain status: $("$app" --status)"

# An argument over the hand-over limit is refused at once and says why.
long_url="vesk://connect?token=vesk_$(head -c 20000 /dev/zero | tr '\0' a)"
if "$app" "$long_url" 2> "$work/long.err"; then fail "an over-long argument was accepted"; fi
grep -q "too long" "$work/long.err" || fail "over-long argument: '$(cat "$work/long.err")'"

# The instance ends: the follower ends too, with a non-zero code.
kill "$first"
wait "$first" || true
rc=0
wait "$follower" || rc=$?
[ "$rc" -ne 0 ] || fail "the follower exited 0 after the instance ended"
grep -q "ended" "$work/follow.err" || fail "the follower said '$(cat "$work/follow.err")'"
echo "PASS"
