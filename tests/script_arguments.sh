#!/usr/bin/env bash
# The row counts of scripts/check-isa and the row step of scripts/count-frame-instructions: what
# would check nothing, or scale a wrong share of the frame, is refused with status 2 and a message
# naming the argument; what is good gets past that check, to the next refusal (no build in a
# missing folder, no cross compiler for a made-up triple), so nothing is built or run.
set -uo pipefail
source_dir=${1:?usage: tests/script_arguments.sh SOURCE-DIR}
missing=$(mktemp -u)
failures=0

# expect STATUS PATTERN COMMAND...: the command's status and a line of its error output.
expect() {
    local status=$1 pattern=$2 got err
    shift 2
    err=$("$@" 2>&1 >/dev/null)
    got=$?
    if [ "$got" -ne "$status" ] || ! grep -qE -- "$pattern" <<<"$err"; then
        echo "FAIL: $* -> status $got, expected $status and /$pattern/: $err"
        failures=$((failures + 1))
    fi
}

isa=$source_dir/scripts/check-isa
for rows in 0 -1 '' 1025 99999 07 1.5 ' 6' six; do
    expect 2 "ROWS is a whole number of rows from 1 to 1024, not '$rows'" "$isa" "$missing" "$rows"
done
expect 2 '^usage: ' "$isa" "$missing" 6 extra
if [ "$(uname -m)" = x86_64 ]; then
    for rows in 1 6 1024; do
        expect 2 "no renderer built in $missing" "$isa" "$missing" "$rows"
    done
fi

count=$source_dir/scripts/count-frame-instructions
for every in 0 3 6 1000 1025 2048 -8 008 '' 8x; do
    expect 2 "--every takes a row step that divides 1024: 1, 2, 4, \.\.\. or 1024, not '$every'" \
        "$count" --every "$every" nosuch-linux-gnu
done
for every in 1 2 64 1024; do
    expect 2 'no cross compiler for nosuch-linux-gnu' "$count" --every "$every" nosuch-linux-gnu
done

((failures == 0)) || exit 1
echo "PASS: row counts and row steps"
