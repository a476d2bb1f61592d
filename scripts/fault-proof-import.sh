#!/usr/bin/env bash
# Fault proof of the legacy import, run by hand (not part of the tests):
#   scripts/fault-proof-import.sh [ROUNDS=20] [LINES=1500]
# Kills the import with SIGKILL at random moments: after a random number of committed lines (so the
# kills fall into every file whatever the disk's speed) and a random few milliseconds more, which
# lands inside a line's statement, a commit or the reading of a file. After each kill `gfix -v -full`
# must report no error, every lookup through BESZALL's indexes must find the rows a plain read finds,
# and the rows must be exactly the whole first lines of the files: no fewer than the import printed
# as committed ("committed N" after each commit), at most one group more (a kill between a commit
# and its print). The import commits its lines in groups of GROUP lines (or fewer after a quarter of
# a second), so a kill may lose only the group in hand.
# Warnings alone pass, counted: an index node a parent page misses ("Index N misses node …": the
# engine walks the sibling pages), a page allocated but not yet linked (database page), free-space
# bits of a pointer page; an interrupted write leaves them, and they harm no lookup. (The program
# rebuilds an index with warnings at its next start after an unclean end.)
# A database that fails is kept in $KEEP (default: a directory under the current one) with the
# validation service's detailed report beside it (fbsvcmgr action_validate).
# TMPDIR chooses where the databases are written: on disk by default, TMPDIR=/dev/shm for memory.
set -euo pipefail

ROUNDS=${1:-20}
LINES=${2:-1500}
GROUP=20  # the import's lines per commit (kLinesPerCommit in src/maintenance/legacy_importer.cpp)
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}

cmake --build "$BUILD" -j2 --target gerundo-legacy-import gerundo-mkdb >/dev/null
IMPORT=$BUILD/gerundo-legacy-import
MKDB=$BUILD/gerundo-mkdb
GFIX=$(command -v gfix || command -v gfix-fb || true)
ISQL=$(command -v isql-fb || true)
if [ -z "$GFIX" ]; then
    echo "gfix not found (package firebird3.0-utils)" >&2
    exit 2
fi

WORK=$(mktemp -d)
KEEP=${KEEP:-$PWD/fault-proof-kept}
trap 'rm -rf "$WORK"' EXIT
export FIREBIRD_LOCK=$WORK/lock
mkdir -p "$WORK/legacy" "$WORK/template"
"$IMPORT" generate "$WORK/legacy/" "$LINES"
(cd "$WORK/template" && "$MKDB" Dudoz.fdb >/dev/null)

# The arrivals counted through each of BESZALL's orders that its indexes serve, then by a plain read:
# all the same when no index misses a row.
lookup_counts() {
    local order
    for order in "bszkelt DESC, bfulszam DESC, idb DESC" "bszkelt, bfulszam, idb" "idb" "idb DESC" "bfulszam" \
        "LPAD(bfulszam, 25, '0')" "bskod" "bfkod"; do
        echo "SELECT COUNT(*) FROM (SELECT FIRST 2000000000 idb FROM beszall ORDER BY $order);"
    done | (cd "$WORK/db" && "$ISQL" -q -user SYSDBA Dudoz.fdb 2>&1) | grep -E '^ *[0-9]+ *$' | tr -d ' ' | sort -u || true
    echo "SELECT COUNT(*) FROM beszall;" | (cd "$WORK/db" && "$ISQL" -q -user SYSDBA Dudoz.fdb 2>&1) |
        grep -E '^ *[0-9]+ *$' | tr -d ' ' || true
}

# The last count the import printed, 0 before its first commit.
committed_so_far() {
    local n
    n=$(grep '^committed ' "$WORK/out.txt" 2>/dev/null | tail -n 1 | cut -d' ' -f2) || true
    echo "${n:-0}"
}

fresh_database() {
    rm -rf "$WORK/db"
    mkdir -p "$WORK/db"
    cp "$WORK/template/Dudoz.fdb" "$WORK/db/Dudoz.fdb"
}

# One whole run first: it must import every line.
fresh_database
(cd "$WORK/db" && "$IMPORT" import "$WORK/legacy/" >/dev/null 2>&1)
whole=$(cd "$WORK/db" && "$IMPORT" check "$WORK/legacy/")
if [ "$whole" != "$LINES" ]; then
    echo "a whole run imported $whole of $LINES lines" >&2
    exit 1
fi
echo "whole run: $LINES of $LINES lines; now $ROUNDS runs killed at random moments"
printf '%5s %8s %8s %8s %8s  %s\n' round after "+ms" printed present result

failures=0
warned=0
for round in $(seq 1 "$ROUNDS"); do
    fresh_database
    target=$(( (RANDOM * 32768 + RANDOM) % LINES ))
    extra_ms=$(( RANDOM % 8 ))
    : >"$WORK/out.txt"
    (cd "$WORK/db" && exec "$IMPORT" import "$WORK/legacy/" >"$WORK/out.txt" 2>"$WORK/err.txt") &
    pid=$!
    while [ "$(committed_so_far)" -lt "$target" ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.002
    done
    sleep "0.00$extra_ms"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true

    printed=$(committed_so_far)
    validation=$(cd "$WORK/db" && "$GFIX" -v -full -user SYSDBA Dudoz.fdb 2>&1) || validation="gfix failed: $validation"
    present=$(cd "$WORK/db" && "$IMPORT" check "$WORK/legacy/" 2>&1) || present="check failed: $present"

    counts=$(lookup_counts | sort -u | wc -l) || true
    result=ok
    if [ "$counts" -ne 1 ]; then
        result="a lookup through an index misses rows: $(lookup_counts | tr '\n' ' ')"
    elif [ -n "$validation" ] && [ -z "$(echo "$validation" | grep -v -e '^Summary of validation errors' \
        -E -e 'Number of (index|pointer|database) page warnings' -e '^[[:space:]]*$' || true)" ]; then
        result="ok (warnings: $(echo "$validation" | grep -i warnings | sed 's/.*Number of //; s/[[:space:]]*:[[:space:]]*/ /' |
            tr '\n' ';' || true))"
        warned=$((warned + 1))
    elif [ -n "$validation" ]; then
        result="gfix: $(echo "$validation" | tr '\n' ' ')"
    elif ! [[ "$present" =~ ^[0-9]+$ ]]; then
        result="$present"
    elif [ "$present" -lt "$printed" ] || [ "$present" -gt $((printed + GROUP)) ]; then
        result="rows differ from the committed lines"
    fi
    if [ "${result%% *}" != ok ]; then
        failures=$((failures + 1))
        mkdir -p "$KEEP"
        cp "$WORK/db/Dudoz.fdb" "$KEEP/round$round.fdb"
        ( (cd "$WORK/db" && fbsvcmgr service_mgr -user SYSDBA action_validate dbname "$WORK/db/Dudoz.fdb" \
            >"$KEEP/round$round.validation.txt" 2>&1) || true) 2>/dev/null
        cp "$WORK/out.txt" "$KEEP/round$round.out.txt"
    fi
    printf '%5d %8d %8d %8d %8s  %s\n' "$round" "$target" "$extra_ms" "$printed" "$present" "$result"
done

if [ "$failures" -gt 0 ]; then
    echo "$failures of $ROUNDS rounds failed"
    exit 1
fi
echo "all $ROUNDS rounds clean ($warned with warnings only, every lookup complete)"
