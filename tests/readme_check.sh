#!/usr/bin/env bash
# scripts/lib/readme_check.py on small READMEs of its own: the worked example's outputs are
# compared with what the commands print (a block's last command, and "$ command" lines), a
# difference fails, and a file the commands would write over at the top of the tree stops the
# run before anything runs, and is left as it was.
set -uo pipefail
source_dir=${1:?usage: tests/readme_check.sh SOURCE-DIR}
check=$source_dir/scripts/lib/readme_check.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# readme SHOWN-OUTPUT: a worked example whose block prints "b" after setup output, then a
# "$ command" block.
readme() {
    printf '# t\n\n### A worked example\n\n```sh\necho setup\nprintf "a\\nb\\n" > made.txt\ntail -n 1 made.txt   # the last line\n```\n\n```\n%s\n```\n\nprose\n\n```\n$ echo two\n%s\n```\n\n```\nnot run\n```\n\n## Next\n' "$1" "$2" >"$work/README.md"
}
# expect STATUS PATTERN: the check's status and a line of its output.
expect() {
    local out got
    out=$(cd "$work" && python3 "$check" example 2>&1)
    got=$?
    if [ "$got" -ne "$1" ] || ! grep -qE -- "$2" <<<"$out"; then
        echo "FAIL: README $3 -> status $got, expected $1 and /$2/: $out"
        failures=$((failures + 1))
    fi
}

readme b two
expect 0 "the worked example's 2 outputs are as the README shows" "as shown"
[ ! -e "$work/made.txt" ] || { echo "FAIL: made.txt left behind"; failures=$((failures + 1)); }
readme c two
expect 1 "^\+b$" "with another last line"
readme b three
expect 1 "1 of the worked example's 2 outputs differ" "with another '\$ echo' output"
readme b two
echo mine >"$work/made.txt"
expect 2 "write made.txt at the top of the tree, and it is there already" "over a user's file"
[ "$(cat "$work/made.txt")" = mine ] || { echo "FAIL: made.txt overwritten"; failures=$((failures + 1)); }

((failures == 0)) || exit 1
echo "PASS: the worked example's check"
