#!/usr/bin/env bash
# The panel is a module loaded on the first open: a running Vesk Bar that has not shown its panel
# maps no Qt Quick or QML library; the first toggle loads the module. An application whose module
# is missing, or is of another version, says so on standard error and keeps running.
set -euo pipefail
app=$1
build_dir=$2

work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; [ -f "$work/app.log" ] && cat "$work/app.log" >&2; exit 1; }

mkdir -p "$work/run" "$work/data" "$work/config"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR=$work/run XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
# Nothing to load: the service address leads nowhere.
export VESK_BASE_URL=http://127.0.0.1:9 VESK_WEB_URL=http://127.0.0.1:9
export QT_QPA_PLATFORM=offscreen
sock=$work/run/vesk-bar/instance.sock

# Starts `$1` as the instance (started at login: no window without a tray) and waits for it.
start() {
    "$@" --autostart > "$work/app.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do [ -S "$sock" ] && break; sleep 0.1; done
    [ -S "$sock" ] || fail "$1 never listened"
}
stop() {
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    pid=
    rm -f "$sock" # left behind by the ended instance; the next one makes its own
}
quick_libraries() { grep -Eo 'libQt6(Quick|Qml)[A-Za-z]*\.so[.0-9]*|vesk-bar-panel\.so' "/proc/$pid/maps" | sort -u || true; }

start "$app"
[ -z "$(quick_libraries)" ] || fail "the idle application maps $(quick_libraries | tr '\n' ' ')"
timeout 10 "$app" --toggle || fail "--toggle exited $?"
for _ in $(seq 100); do quick_libraries | grep -q vesk-bar-panel && break; sleep 0.1; done
quick_libraries | grep -q vesk-bar-panel || fail "the first toggle did not load the panel module"
quick_libraries | grep -q libQt6Quick || fail "the panel module came without Qt Quick"
stop

# The same application in a folder without its module.
mkdir "$work/bare"
cp "$build_dir/libexec/vesk-bar/vesk-bar-app" "$work/bare/"
start "$work/bare/vesk-bar-app"
timeout 10 "$app" --toggle || fail "--toggle to the application without its module exited $?"
for _ in $(seq 50); do grep -q "panel cannot open" "$work/app.log" && break; sleep 0.1; done
grep -q "vesk-bar: the panel cannot open: the panel module is missing (looked for $work/bare/vesk-bar-panel.so" \
    "$work/app.log" || fail "no clear message for the missing module"
timeout 10 "$app" --toggle || fail "a second --toggle exited $?"
sleep 0.3
kill -0 "$pid" 2>/dev/null || fail "the application without its module ended"
[ "$(grep -c "panel cannot open" "$work/app.log")" = 1 ] || fail "the message was not given once"
stop

# A module of another version beside the application, as after an update under a running one.
version=$("$app" --version | cut -d' ' -f2)
mkdir "$work/updated"
cp "$build_dir/libexec/vesk-bar/vesk-bar-app" "$build_dir/libexec/vesk-bar/vesk-bar-panel.so" "$work/updated/"
LC_ALL=C sed -i "s/vesk-bar-panel ${version//./\\.}/vesk-bar-panel ${version//[0-9]/9}/" "$work/updated/vesk-bar-panel.so"
start "$work/updated/vesk-bar-app"
timeout 10 "$app" --toggle || fail "--toggle to the application with another module exited $?"
for _ in $(seq 50); do grep -q "panel cannot open" "$work/app.log" && break; sleep 0.1; done
grep -q "vesk-bar: the panel cannot open: $work/updated/vesk-bar-panel.so is not the panel module of this Vesk Bar" \
    "$work/app.log" || fail "no clear message for a module of another version"
kill -0 "$pid" 2>/dev/null || fail "the application with a module of another version ended"
echo "PASS"
