#!/usr/bin/env bash
# No program of the build searches a relative or empty folder for libraries: the loader reads an
# empty RUNPATH entry as the working directory, so a library placed where the program is started
# would be loaded. Checks every program of the build and an installed copy.
set -euo pipefail
app=$1
build_dir=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0

check() {
    local file=$1 entries entry
    # "Library runpath: [a:b]" / "Library rpath: [a:b]"; none at all is fine.
    entries=$(readelf -d "$file" | sed -n 's/.*Library r\(un\)\?path: \[\(.*\)\]$/\2/p')
    [ -n "$(readelf -d "$file" | grep -E 'R(UN)?PATH')" ] || return 0
    # Split keeping empty fields: an empty entry anywhere (leading, trailing, doubled colon) fails.
    if [ -z "$entries" ] || [[ "$entries" == :* ]] || [[ "$entries" == *: ]] || [[ "$entries" == *::* ]]; then
        echo "FAIL: $file has an empty RUNPATH entry: [$entries]" >&2
        failed=1
        return 0
    fi
    IFS=: read -r -a parts <<< "$entries"
    for entry in "${parts[@]}"; do
        if [[ "$entry" != /* ]]; then
            echo "FAIL: $file has a relative RUNPATH entry '$entry'" >&2
            failed=1
        fi
    done
}

check "$app"
# Every other program of the build: tests, the demo service, benchmarks, tools.
while IFS= read -r -d '' program; do
    [ "$(head -c 4 "$program" | od -An -c | tr -d ' ')" = '177ELF' ] && check "$program"
done < <(find "$build_dir" -path '*/CMakeFiles' -prune -o -type f -perm -u+x -print0)

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
# The launcher, the application and its panel module.
while IFS= read -r -d '' program; do check "$program"; done < <(find "$work/prefix" -type f \( -perm -u+x -o -name '*.so' \) -print0)

exit $failed
