#!/usr/bin/env bash
# Kill test of archiving: a large dispatch day (50,000 departures of 200,000 live arrivals, with
# 200,000 archived rows beside) is archived, or withdrawn when it is already archived, by the real
# screen in a child process (build/bench/archive_driver), which is killed with SIGKILL at a random
# moment of its run (from the click on the run button to a little after its end), 20 times. After
# each kill the database file is validated with `gfix -v -full` and every row of the live and the
# archive tables is counted: no row may be lost, none copied twice, and the day must be wholly live
# or wholly archived. Prints the counts of every round, and what gfix found (see the note printed
# above the table).
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

# A Firebird tool with a time limit. Once, after a kill, an isql of the checks hung in its detach,
# waiting inside the engine; likely because the engine's lock table names the dead process by its
# id, which on a busy machine (pid_max 32768 here) soon belongs to another program. A tool that
# hangs is killed; the round notes it, and the lock files are reset (no process of ours has the
# file open then).
fbtool() {
    local rc=0
    timeout -s KILL 300 "$@" || rc=$?
    [ "$rc" -ne 137 ] || touch "$work/hung"
    return "$rc"
}

echo "building the database ..."
"$driver" fill "$work" 200000 50000 200000 >/dev/null

# liveOut archivedOut liveIn archivedIn dayLive dayArchived
counts() {
    fbtool "$isql" -q -user SYSDBA "$db" <<'SQL' | awk 'NF == 6 { print; exit }'
SET HEADING OFF;
SELECT (SELECT COUNT(*) FROM kiszall), (SELECT COUNT(*) FROM kiszall0),
       (SELECT COUNT(*) FROM beszall), (SELECT COUNT(*) FROM beszall0),
       (SELECT COUNT(*) FROM kiszall WHERE kikelt = DATE '2011-03-01'),
       (SELECT COUNT(*) FROM kiszall0 WHERE kikelt = DATE '2011-03-01')
  FROM rdb$database;
SQL
}

# gfix's verdict on the file as it is: "errors warnings". A process killed while the engine was
# allocating pages leaves orphan pages and half-linked index pages behind, which gfix counts as
# warnings: space not yet reclaimed, no row touched.
gfix_counts() {
    fbtool "$gfix" -v -full -user SYSDBA "$db" >"$work/gfix" 2>&1 || { echo "-1 0"; return; }
    awk -F: '/Number of .* errors/ { e += $2 } /Number of .* warnings/ { w += $2 } END { print e + 0, w + 0 }' \
        "$work/gfix"
}

# Every delivery table gives the same rows through each of its indexes as read in full: "yes" or "no".
indexes_agree() {
    local sql="SET HEADING OFF;" t id ix
    for t in KISZALL KISZALL0 BESZALL BESZALL0; do
        id=IDK; ix=KFULSZAM; [ "${t#B}" != "$t" ] && { id=IDB; ix=BFULSZAM; }
        sql+="SELECT COUNT(*) FROM $t WHERE $id >= 0 PLAN ($t NATURAL);"
        sql+="SELECT COUNT(*) FROM $t WHERE $id >= 0 PLAN ($t INDEX (PK_$t));"
        sql+="SELECT COUNT(*) FROM $t WHERE $ix >= '' PLAN ($t NATURAL);"
        sql+="SELECT COUNT(*) FROM $t WHERE $ix >= '' PLAN ($t INDEX (IX_${t}_FULSZAM));"
    done
    printf '%s\n' "$sql" | fbtool "$isql" -q -user SYSDBA "$db" |
        awk '$1 ~ /^[0-9]+$/ { n[++i] = $1 } END { ok = i == 16; for (j = 1; j < i; j += 2) if (n[j] != n[j + 1]) ok = 0; print ok ? "yes" : "no" }'
}

# Reading every row of every table lets the engine finish collecting the versions of deleted rows.
read_everything() {
    printf '%s\n' "SELECT COUNT(*) FROM kiszall; SELECT COUNT(*) FROM kiszall0; SELECT COUNT(*) FROM beszall;" \
        "SELECT COUNT(*) FROM beszall0; SELECT COUNT(*) FROM fulszam;" | fbtool "$isql" -q -user SYSDBA "$db" >/dev/null || true
}

read -r out0 aout0 in0 ain0 day0 dayarch0 < <(counts)
total_out=$((out0 + aout0))
total_in=$((in0 + ain0))
echo "start: live departures $out0, archived $aout0, live arrivals $in0, archived $ain0, the day $day0 live"

# One complete run each way, to learn how long a run takes (from the click on its button to the
# end; the driver prints the time of every message line).
run_ms() { "$driver" "$1" "$work" 2>/dev/null | awk '/ ms  / { t = $1 } END { print t + 0 }'; }
t_archive=$(run_ms archive)
read -r _ _ in_archived _ _ _ < <(counts)
moved_in=$((in0 - in_archived))
t_withdraw=$(run_ms withdraw)
echo "a whole run takes ${t_archive} ms to archive, ${t_withdraw} ms to withdraw; the day has $day0 departures and $moved_in arrivals"
read -r errors _ < <(gfix_counts)
[ "$errors" -eq 0 ] || { cat "$work/gfix"; exit 1; }

# After a tool was killed for hanging (no process of ours has the file open then): fresh lock files.
reset_if_hung() {
    [ -e "$work/hung" ] || return 1
    rm -f "$work/hung"
    rm -rf "$FIREBIRD_LOCK"
    hung=yes
    hangs=$((hangs + 1))
}

failures=0
hangs=0
echo
echo "err: errors gfix finds right after the kill. A process killed while the engine was collecting"
echo "the old versions of rows whose deletion it had committed (after a run, or in the next process"
echo "that reads them) leaves rows without some index entries: gfix reports them as index errors."
echo "They pass the round only when every index finds exactly the rows that reading the tables finds,"
echo "and gfix finds no error once the tables were read (err after). warn: gfix warnings (orphan"
echo "pages and half-linked index pages of interrupted page allocations; no row is on them)."
echo "hang: a Firebird tool of the checks hung and was killed, the lock files were reset (see fbtool)."
echo "kill at: milliseconds after the click on the run button."
printf '%5s %-8s %8s  %-8s %8s %8s %8s %8s %5s %4s %5s %4s  %-6s %s\n' round run "kill at" state "live out" \
    "arch out" "live in" "arch in" warn err after hang check "step reached when killed"
for round in $(seq 1 "$rounds"); do
    hung=-
    read -r out aout in ain day dayarch < <(counts) || true
    if reset_if_hung; then read -r out aout in ain day dayarch < <(counts) || true; fi
    if [ "$day" -gt 0 ]; then run=archive; span=$t_archive; else run=withdraw; span=$t_withdraw; fi
    delay=$(( RANDOM * 32768 + RANDOM ))
    delay=$(( delay % (span * 11 / 10) ))
    "$driver" "$run" "$work" >"$work/log" 2>&1 &
    pid=$!
    # The moment counts from the click on the run button.
    for _ in $(seq 1 3000); do grep -q 'run started' "$work/log" && break; sleep 0.01; done
    sleep "$(printf '%d.%03d' $((delay / 1000)) $((delay % 1000)))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    step=$({ grep ' ms  ' "$work/log" || true; } | tail -n 1 | cut -c1-75)
    verdict=ok
    read -r err warn < <(gfix_counts)
    if reset_if_hung; then read -r err warn < <(gfix_counts); fi
    after=-
    if [ "$err" -ne 0 ]; then
        cp "$work/gfix" "$work/gfix.first"
        agree=$(indexes_agree)
        if reset_if_hung; then agree=$(indexes_agree); fi
        [ "$agree" = yes ] || verdict=INDEX
        read_everything
        reset_if_hung || true
        read -r after _ < <(gfix_counts)
        if reset_if_hung; then read -r after _ < <(gfix_counts); fi
        [ "$after" -eq 0 ] || verdict=BROKEN
    fi
    out=; read -r out aout in ain day dayarch < <(counts) || true
    if reset_if_hung; then read -r out aout in ain day dayarch < <(counts) || true; fi
    [ -n "$out" ] || { echo "no counts in round $round"; exit 1; }
    if [ $((out + aout)) -ne "$total_out" ] || [ $((in + ain)) -ne "$total_in" ]; then verdict=LOST-OR-TWICE; fi
    if [ "$day" -eq "$day0" ] && [ "$dayarch" -eq 0 ] && [ "$in" -eq "$in0" ]; then state=live
    elif [ "$day" -eq 0 ] && [ "$dayarch" -eq "$day0" ] && [ "$in" -eq $((in0 - moved_in)) ]; then state=archived
    else state=SPLIT; verdict=SPLIT; fi
    printf '%5d %-8s %6d ms  %-8s %8d %8d %8d %8d %5s %4s %5s %4s  %-6s %s\n' "$round" "$run" "$delay" "$state" \
        "$out" "$aout" "$in" "$ain" "$warn" "$err" "$after" "$hung" "$verdict" "${step:-(run not started)}"
    if [ "$verdict" != ok ]; then failures=$((failures + 1)); cat "$work/gfix.first" "$work/gfix" 2>/dev/null; fi
done
echo "totals kept: departures $total_out, arrivals $total_in; rounds that failed: $failures; tools that hung: $hangs"
[ "$failures" -eq 0 ]
