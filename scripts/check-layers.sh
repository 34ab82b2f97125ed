#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a layer it may not use, or a project header
# without its folder. The allowed directions are the table "Who may include whom" in
# docs/architecture.md: one row per layer, the second column lists the layers it may include.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed
while IFS='|' read -r _ layer uses _; do
    layer=$(echo "$layer" | tr -d ' `')
    uses=$(echo "$uses" | tr -d '`' | tr ',' ' ')
    [ -n "$layer" ] && allowed[$layer]="$layer $uses"
done < <(awk '/^## Who may include whom/{on=1; next} /^## /{on=0} on && /^\| *`/' docs/architecture.md)

if [ ${#allowed[@]} -eq 0 ]; then
    echo "check-layers: no table \"Who may include whom\" in docs/architecture.md" >&2
    exit 1
fi

headers=$(cd src && find . -name '*.h' -printf '%f\n' | sort)
status=0
while IFS= read -r file; do
    layer=${file#src/}
    layer=${layer%%/*}
    if [ -z "${allowed[$layer]+x}" ]; then
        echo "$file: layer '$layer' is not in the table of docs/architecture.md" >&2
        status=1
        continue
    fi
    while IFS= read -r line; do
        n=${line%%:*}
        target=$(echo "${line#*:}" | sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^"]+)".*/\1/')
        case "$target" in
        */*)
            used=${target%%/*}
            if [[ " ${allowed[$layer]} " != *" $used "* ]]; then
                echo "$file:$n: $layer may not include $target" >&2
                status=1
            fi
            ;;
        *.moc|ui_*.h) ;;
        *)
            if grep -qxF "$target" <<<"$headers"; then
                echo "$file:$n: include \"$target\" with its folder from src/" >&2
                status=1
            fi
            ;;
        esac
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" || true)
done < <(find src -name '*.h' -o -name '*.cpp' | sort)

[ $status -eq 0 ] && echo "check-layers: every include follows docs/architecture.md"
exit $status
