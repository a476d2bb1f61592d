#!/usr/bin/env bash
# Kill test of archiving: a large dispatch day (50,000 departures of 200,000 live arrivals, with
# 200,000 archived rows beside) is archived, or withdrawn when it is already archived, by the real
# screen in a child process (build/bench/archive_driver), which is killed with SIGKILL at a random
# moment of its run, 20 times. After each kill the database file is validated with `gfix -v -full`
# and every row of the live and the archive tables is counted: no row may be lost, none copied
# twice, and the day must be wholly live or wholly archived. Prints the counts of every round.
# Run by hand (it is not part of the tests):  scripts/archive-killproof.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
rounds=${2:-20}
cmake --build "$build" -j2 --target archive_driver >/dev/null
driver="$build/bench/archive_driver"
gfix=$(command -v gfix || command -v gfix-fb)
isql=$(command -v isql-fb || command -v isql)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export FIREBIRD_LOCK="$work/lock"   # the driver, gfix and isql share the engine's lock files
export QT_QPA_PLATFORM=offscreen
db="$work/Dudoz.fdb"

echo "building the database ..."
"$driver" fill "$work" 200000 50000 200000 >/dev/null

# liveOut archivedOut liveIn archivedIn dayLive dayArchived
counts() {
    "$isql" -q -user SYSDBA "$db" <<'SQL' | awk 'NF == 6 { print; exit }'
SET HEADING OFF;
SELECT (SELECT COUNT(*) FROM kiszall), (SELECT COUNT(*) FROM kiszall0),
       (SELECT COUNT(*) FROM beszall), (SELECT COUNT(*) FROM beszall0),
       (SELECT COUNT(*) FROM kiszall WHERE kikelt = DATE '2011-03-01'),
       (SELECT COUNT(*) FROM kiszall0 WHERE kikelt = DATE '2011-03-01')
  FROM rdb$database;
SQL
}

# Validates the file; prints the number of warnings, fails on any error. A process killed while the
# engine was allocating pages leaves orphan pages and half-linked index pages behind: gfix counts
# those as warnings (space not yet reclaimed, no row touched), everything else as errors.
validate() {
    local out errors warnings
    out=$("$gfix" -v -full -user SYSDBA "$db" 2>&1) || { echo "gfix failed: $out" >&2; return 1; }
    errors=$(printf '%s\n' "$out" | awk -F: '/Number of .* errors/ { n += $2 } END { print n + 0 }')
    warnings=$(printf '%s\n' "$out" | awk -F: '/Number of .* warnings/ { n += $2 } END { print n + 0 }')
    if [ "$errors" -ne 0 ] || { [ -n "$out" ] && [ "$warnings" -eq 0 ]; }; then
        echo "gfix: $out" >&2
        return 1
    fi
    echo "$warnings"
}

read -r out0 aout0 in0 ain0 day0 dayarch0 < <(counts)
total_out=$((out0 + aout0))
total_in=$((in0 + ain0))
echo "start: live departures $out0, archived $aout0, live arrivals $in0, archived $ain0, the day $day0 live"

# One complete run each way, to learn how long a run takes (the process from start to end).
ms() { date +%s%3N; }
t=$(ms); "$driver" archive "$work" >/dev/null; t_archive=$(( $(ms) - t ))
read -r _ _ in_archived _ _ _ < <(counts)
moved_in=$((in0 - in_archived))
t=$(ms); "$driver" withdraw "$work" >/dev/null; t_withdraw=$(( $(ms) - t ))
echo "a whole run takes ${t_archive} ms to archive, ${t_withdraw} ms to withdraw; the day has $day0 departures and $moved_in arrivals"
validate >/dev/null

failures=0
printf '%5s %-8s %8s  %-8s %8s %8s %8s %8s %5s  %-6s %s\n' round run "kill at" state "live out" "arch out" "live in" "arch in" warn check "step reached when killed"
for round in $(seq 1 "$rounds"); do
    read -r out aout in ain day dayarch < <(counts)
    if [ "$day" -gt 0 ]; then run=archive; span=$t_archive; else run=withdraw; span=$t_withdraw; fi
    delay=$(( RANDOM * 32768 + RANDOM ))
    delay=$(( delay % (span * 11 / 10) ))
    "$driver" "$run" "$work" >"$work/log" 2>&1 &
    pid=$!
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    step=$({ grep -v '^QStandardPaths' "$work/log" || true; } | tail -n 1 | cut -c1-75)
    verdict=ok
    warn=$(validate 2>"$work/gfix") || { verdict=BROKEN; warn=-; }
    read -r out aout in ain day dayarch < <(counts)
    if [ $((out + aout)) -ne "$total_out" ] || [ $((in + ain)) -ne "$total_in" ]; then verdict=LOST-OR-TWICE; fi
    if [ "$day" -eq "$day0" ] && [ "$dayarch" -eq 0 ] && [ "$in" -eq "$in0" ]; then state=live
    elif [ "$day" -eq 0 ] && [ "$dayarch" -eq "$day0" ] && [ "$in" -eq $((in0 - moved_in)) ]; then state=archived
    else state=SPLIT; verdict=SPLIT; fi
    printf '%5d %-8s %6d ms  %-8s %8d %8d %8d %8d %5s  %-6s %s\n' "$round" "$run" "$delay" "$state" "$out" "$aout" "$in" "$ain" "$warn" "$verdict" "${step:-(run not started)}"
    if [ "$verdict" != ok ]; then failures=$((failures + 1)); cat "$work/gfix"; fi
done
echo "totals kept: departures $total_out, arrivals $total_in; rounds that failed: $failures"
[ "$failures" -eq 0 ]
