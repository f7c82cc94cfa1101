#!/usr/bin/env bash
# Prints how many tests a run skipped and why, and fails when a reason is not one that
# tools/skips.txt accepts for that run.
# Usage: check-skips.sh <run: root|unprivileged> <title> <skip log>
# The log holds a line "<suite>.<test><TAB><reason>" per skipped test (tests/common/SkipLog).
set -euo pipefail
run="$1" title="$2" log="$3"
list="$(dirname "$0")/skips.txt"
count=0
[ -f "$log" ] && count=$(wc -l <"$log")
echo "$title: $count skipped"
[ "$count" -eq 0 ] && exit 0
bad=0
while IFS= read -r reason; do
  n=$(cut -f2- "$log" | grep -cxF -- "$reason")
  if grep -v '^#' "$list" | awk -F'|' -v run="$run" -v r="$reason" \
       '($1 == run || $1 == "any") && $2 == r { found = 1 } END { exit !found }'; then
    echo "  $n  $reason"
  else
    echo "  $n  $reason   <- not an accepted reason for this run (tools/skips.txt):"
    awk -F'\t' -v r="$reason" '$2 == r { print "       " $1 }' "$log"
    bad=1
  fi
done < <(cut -f2- "$log" | sort -u)
exit "$bad"
