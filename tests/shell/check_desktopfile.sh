#!/usr/bin/env bash
# The desktop integration: the launcher entry and the AppStream description validate, an install puts
# every file in its place, and a per-user install can be registered as the handler of vesk:// links.
set -euo pipefail

build_dir=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$source_dir/data/vesk-bar.desktop" || fail "desktop-file-validate"
grep -qx 'MimeType=x-scheme-handler/vesk;' "$source_dir/data/vesk-bar.desktop" || fail "MimeType line"
# A plain id such as vesk-bar draws a note about reverse-DNS ids and nothing else.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
    "$source_dir/data/vesk-bar.metainfo.xml" || fail "appstreamcli validate"

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
share=$work/prefix/share
for f in applications/vesk-bar.desktop metainfo/vesk-bar.metainfo.xml icons/hicolor/scalable/apps/vesk-bar.svg \
         icons/hicolor/scalable/status/vesk-bar-tray.svg; do
    [ -e "$share/$f" ] || fail "$f not installed"
done
# The installed entry and its actions name the program by its full path (quoted when it has a
# blank), so links work without ~/.local/bin on the PATH.
grep -qx "Exec=$work/prefix/bin/vesk-bar %u" "$share/applications/vesk-bar.desktop" || fail "installed Exec line"
[ "$(grep -c "^Exec=$work/prefix/bin/vesk-bar" "$share/applications/vesk-bar.desktop")" = 3 ] \
    || fail "the actions' Exec lines do not name the full path"
cmake --install "$build_dir" --prefix "$work/with space" >/dev/null || fail "cmake --install with a blank"
grep -qx "Exec=\"$work/with space/bin/vesk-bar\" %u" "$work/with space/share/applications/vesk-bar.desktop" \
    || fail "a path with a blank is not quoted"
env -u DISPLAY -u WAYLAND_DISPLAY "$work/prefix/bin/vesk-bar" --version >/dev/null || fail "--version without a display"

# What `make install-user` does to claim the scheme, in throwaway folders.
XDG_CONFIG_HOME=$work/config update-desktop-database "$share/applications" || fail "update-desktop-database"
grep -qx 'x-scheme-handler/vesk=vesk-bar.desktop;' "$share/applications/mimeinfo.cache" \
    || fail "the entry does not claim vesk:// links"
echo "PASS"
