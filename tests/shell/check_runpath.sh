#!/usr/bin/env bash
# No program of the build, nor an installed copy, searches a relative or empty folder for libraries:
# the loader reads an empty RUNPATH entry as the working directory.
set -euo pipefail
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

check() {
    # "Library runpath: [a:b]" / "Library rpath: [a:b]"; none at all is fine.
    readelf -d "$1" | grep -qE 'R(UN)?PATH' || return 0
    local entries
    entries=$(readelf -d "$1" | sed -n 's/.*Library r\(un\)\?path: \[\(.*\)\]$/\2/p')
    # Every entry, empty ones included (leading, trailing or doubled colon), must be absolute.
    if ! [[ ":$entries:" =~ ^(:/[^:]+)+:$ ]]; then
        echo "FAIL: $1 has an empty or relative RUNPATH entry: [$entries]" >&2
        failed=1
    fi
}

while IFS= read -r -d '' program; do
    [ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] && check "$program"
done < <(find "$build_dir" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -print0)
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
# The launcher, the application and its panel module.
while IFS= read -r -d '' program; do check "$program"; done < <(find "$work/prefix" -type f \( -perm -u+x -o -name '*.so' \) -print0)
exit $failed
