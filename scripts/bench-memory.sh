#!/usr/bin/env bash
# Memory and work at size: a LabelledSetIntervalGenerator of N items (every item labelled,
# both bounds set) loaded from a patch file's "parameters", run for 100 rounds, saved, and
# the saved file loaded and saved again (reload), each under vtxhost's default memory budget
# (no --memory-limit). For each size it prints the peak resident memory of each command
# (GNU time's maximum RSS, which holds more than the budget counts: code, the allocator's
# own) per item, the saved file's bytes per item, and whether the reload wrote the saved
# file again byte for byte. Then the instructions of save and of reload under callgrind
# for the sizes up to VTX_CALLGRIND_ITEMS (10000 by default; the larger ones take hours
# there), per item, to show them linear.
# Goals checked (exit status 1 when one is missed): every command succeeds, save and reload
# peak at most 2048 bytes per item from 100 000 items on (below, the process's fixed 8 MiB
# outweighs the items), the saved file at most 300 bytes per item, the reload identical.
# Usage: scripts/bench-memory.sh [BUILD_DIR] [SIZES...]   (default: build, 1000 10000 100000 1000000)
# The build directory must hold vtxhost and libBrennick2010.so (Release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000 100000 1000000)
vtxhost="$build/vtxhost" module="$build/libBrennick2010.so"
[ -x "$vtxhost" ] && [ -f "$module" ] || { echo "no vtxhost and libBrennick2010.so in $build" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is needed" >&2; exit 1; }
callgrind_items=${VTX_CALLGRIND_ITEMS:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The generator patch of N items, written as a user would: the count and each item's values.
generate() {
    awk -v n="$1" -v module="$module" 'BEGIN {
        printf "{\n  \"name\": \"generator-%d\",\n  \"modules\": [\"%s\"],\n  \"blocks\": [\n", n, module
        printf "    {\n      \"name\": \"generator\",\n      \"catalog\": \"Brennick2010\",\n"
        printf "      \"class\": \"LabelledSetIntervalGenerator\",\n      \"parameters\": {\n        \"num_items\": %d", n
        for (i = 0; i < n; i++)
            printf ",\n        \"label_%d\": \"item %d\", \"min_%d\": %d, \"max_%d\": %d.5", i, i, i, i, i, i
        printf "\n      }\n    }\n  ]\n}\n"
    }' > "$2"
}

# Runs vtxhost under GNU time; prints the peak RSS in KiB and the seconds, or fails.
measure() {
    local log=$work/time.log
    if ! /usr/bin/time -f "%M %e" -o "$log" "$vtxhost" "$@" > "$work/out.txt" 2> "$work/err.txt"; then
        echo "vtxhost $* failed:" >&2
        tail -5 "$work/err.txt" >&2
        return 1
    fi
    cat "$log"
}

missed=0
printf "%-9s %-8s %12s %10s %9s\n" items command "peak KiB" "B/item" seconds
for n in "${sizes[@]}"; do
    generate "$n" "$work/g.json"
    for step in run save reload; do
        case $step in
        run) result=$(measure run "$work/g.json" --activations 100) ;;
        save) result=$(measure save "$work/g.json" "$work/saved.json") ;;
        reload) result=$(measure save "$work/saved.json" "$work/resaved.json") ;;
        esac
        read -r kib seconds <<< "$result"
        perItem=$((kib * 1024 / n))
        printf "%-9s %-8s %12s %10s %9s\n" "$n" "$step" "$kib" "$perItem" "$seconds"
        # Below 100 000 items the process's own 8 MiB (code, libraries) outweighs the items.
        if [ "$step" != run ] && [ "$n" -ge 100000 ] && [ "$perItem" -gt 2048 ]; then missed=1; fi
    done
    bytes=$(stat -c %s "$work/saved.json")
    same=no
    cmp -s "$work/saved.json" "$work/resaved.json" && same=yes
    printf "%-9s saved file %d bytes, %d B/item; reload wrote it again byte for byte: %s\n" "$n" "$bytes" $((bytes / n)) "$same"
    [ $((bytes / n)) -le 300 ] && [ "$same" = yes ] || missed=1
    rm -f "$work/g.json" "$work/saved.json" "$work/resaved.json"
done

if command -v valgrind >/dev/null; then
    echo
    printf "%-9s %-8s %16s %12s\n" items command instructions "per item"
    for n in "${sizes[@]}"; do
        [ "$n" -le "$callgrind_items" ] || continue
        generate "$n" "$work/g.json"
        for step in save reload; do
            if [ $step = save ]; then args=(save "$work/g.json" "$work/saved.json"); else args=(save "$work/saved.json" "$work/resaved.json"); fi
            valgrind --tool=callgrind --callgrind-out-file="$work/cg.out" "$vtxhost" "${args[@]}" > /dev/null 2> "$work/cg.log"
            total=$(sed -n 's/^summary: //p' "$work/cg.out")
            printf "%-9s %-8s %16s %12s\n" "$n" "$step" "$total" $((total / n))
        done
        rm -f "$work/g.json" "$work/saved.json" "$work/resaved.json"
    done
fi
exit $missed
