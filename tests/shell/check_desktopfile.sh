#!/usr/bin/env bash
# The desktop integration: the launcher entry and the AppStream description validate, an install
# puts every file in its place, the installed program answers --version without a display, and a
# per-user install can be registered as the handler of vesk:// links.
set -euo pipefail
app=$1
build_dir=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$source_dir/data/vesk-bar.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=vesk-bar %u' "$source_dir/data/vesk-bar.desktop" || fail "Exec line"
grep -qx 'MimeType=x-scheme-handler/vesk;' "$source_dir/data/vesk-bar.desktop" || fail "MimeType line"
# A plain id such as vesk-bar draws a note about reverse-DNS ids and nothing else.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info \
    "$source_dir/data/vesk-bar.metainfo.xml" || fail "appstreamcli validate"

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
for f in bin/vesk-bar share/applications/vesk-bar.desktop share/metainfo/vesk-bar.metainfo.xml \
         share/icons/hicolor/scalable/apps/vesk-bar.svg share/icons/hicolor/scalable/status/vesk-bar-tray.svg; do
    [ -e "$work/prefix/$f" ] || fail "$f not installed"
done
desktop-file-validate "$work/prefix/share/applications/vesk-bar.desktop" || fail "installed desktop file"
# The tray icon is the mark in full colour: hosts draw the grey of the symbolic drawing unrecoloured.
tray_icon=$work/prefix/share/icons/hicolor/scalable/status/vesk-bar-tray.svg
grep -q '<path' "$tray_icon" && ! grep -qi '#2e3436' "$tray_icon" || fail "the tray icon is not the coloured mark"
# The installed entry names the program by its full path, so links work without ~/.local/bin on the PATH.
grep -qx "Exec=$work/prefix/bin/vesk-bar %u" "$work/prefix/share/applications/vesk-bar.desktop" \
    || fail "installed Exec line: $(grep -m1 '^Exec=' "$work/prefix/share/applications/vesk-bar.desktop")"
[ "$(grep -c "^Exec=$work/prefix/bin/vesk-bar" "$work/prefix/share/applications/vesk-bar.desktop")" = 3 ] \
    || fail "the actions' Exec lines do not name the full path"
cmake --install "$build_dir" --prefix "$work/with space" >/dev/null || fail "cmake --install with a blank"
grep -qx "Exec=\"$work/with space/bin/vesk-bar\" %u" "$work/with space/share/applications/vesk-bar.desktop" \
    || fail "a path with a blank is not quoted"
desktop-file-validate "$work/with space/share/applications/vesk-bar.desktop" || fail "quoted desktop file"
version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/prefix/bin/vesk-bar" --version) || fail "--version"
[ "$version" = "$("$app" --version)" ] || fail "installed version '$version'"

# What `make install-user` does to claim the scheme, in throwaway folders.
export XDG_DATA_HOME=$work/prefix/share XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"
update-desktop-database "$XDG_DATA_HOME/applications" || fail "update-desktop-database"
grep -qx 'x-scheme-handler/vesk=vesk-bar.desktop;' "$XDG_DATA_HOME/applications/mimeinfo.cache" \
    || fail "the entry does not claim vesk:// links"
echo "PASS"
