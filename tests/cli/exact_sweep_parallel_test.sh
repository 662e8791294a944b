#!/usr/bin/env bash
# The README's GNU parallel recipe for the parts of a sweep gives the table of the whole sweep.
set -euo pipefail
cli=$1 script=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
opts=(--no-buy --no-insurance --mode ideal --sweep pay-flush=4:6:1)
"$script" "$cli" 3 "$tmp/parts" -- "${opts[@]}" > "$tmp/merged.txt"
"$cli" exact "${opts[@]}" > "$tmp/whole.txt"
# Every line but the last (the part and the time) agrees.
diff <(head -n -1 "$tmp/merged.txt") <(head -n -1 "$tmp/whole.txt")
[ "$(ls "$tmp/parts" | wc -l)" -eq 3 ]
echo "merged parts agree with the whole sweep"
