#!/usr/bin/env bash
# Two real vesk-bar processes: the second hands a sign-in callback URL to the first and ends with
# status 0; the first accepts it (token file written, pending state removed). The service address
# is a closed local port, so nothing leaves the machine.
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

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
mkdir -p "$work/run" "$work/data" "$work/config/Vesk"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
export VESK_BASE_URL=http://127.0.0.1:$port VESK_WEB_URL=http://127.0.0.1:$port
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
state=0A1B2C3D4E5F60718293A4B5C6D7E8F9ABCDEF01
printf '[General]\ndidSetLoginDefault=true\npendingConnectState=%s\n' "$state" > "$work/config/Vesk/Vesk.conf"

"$app" > "$work/first.log" 2>&1 &
pids+=($!)
first=$!
sock=$work/run/vesk-bar/instance.sock
for _ in $(seq 100); do [ -S "$sock" ] && break; sleep 0.1; done
[ -S "$sock" ] || fail "the first instance never listened"
[ "$(stat -c %a "$work/run/vesk-bar")" = 700 ] || fail "socket folder is not 0700"

# An ignored URL: wrong state. The second process still ends with 0, and nothing changes.
"$app" "vesk://connect?token=vesk_wrong&state=FFFF" || fail "second launch (ignored URL) exited $?"
# The accepted one, percent-encoded as a browser may send it.
"$app" "vesk://connect?state=$state&token=vesk%5Fsecret42" || fail "second launch exited $?"

token=$work/data/Vesk/token
for _ in $(seq 100); do [ -f "$token" ] && break; sleep 0.1; done
[ -f "$token" ] || fail "the first instance wrote no token"
[ "$(cat "$token")" = "vesk_secret42" ] || fail "token is '$(cat "$token")'"
[ "$(stat -c %a "$token")" = 600 ] || fail "token file is not 0600"
if grep -q pendingConnectState "$work/config/Vesk/Vesk.conf"; then fail "pending state kept"; fi

# An argument over the hand-over limit is refused at once and says why.
long_url="vesk://connect?token=vesk_$(head -c 20000 /dev/zero | tr '\0' a)"
if "$app" "$long_url" 2> "$work/long.err"; then fail "an over-long argument was accepted"; fi
grep -q "too long" "$work/long.err" || fail "over-long argument: '$(cat "$work/long.err")'"

# A third launch with a command also reaches the first, which keeps running.
"$app" --toggle || fail "third launch exited $?"
kill -0 "$first" || fail "the first instance died"
echo "PASS"
