#!/usr/bin/env bash
# Kills `quirel-db put` with SIGKILL at random moments of a 1 MB in-place rewrite and checks,
# after every kill, that the database is whole and that the memo reads as either the old or the
# new body, never a mix. Usage: scripts/kill-harness.sh [KILLS] (default 150; build first).
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-150}
tool=$PWD/build/src/quirel-db
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
db=$work/Memo.qrl

# Two bodies of the same size (the rewrite stays in place) that differ on every line.
for v in a b; do
  for _ in $(seq 8192); do printf '%063d\n' 0 | tr 0 "$v"; done >"$work/$v.txt"
  sha256sum <"$work/$v.txt" | cut -d' ' -f1 >"$work/$v.sum"
done
echo "first memo" | "$tool" add "$db" --title before >/dev/null
"$tool" add "$db" --title big <"$work/a.txt" >/dev/null
echo "last memo" | "$tool" add "$db" --title after >/dev/null

body_sum() { "$tool" show "$db" 1 | sed '1,/^$/d' | head -c -1 | sha256sum | cut -d' ' -f1; }

cut_short=0 hot=0 old=0 new=0 torn=0 broken=0
next=b
for i in $(seq "$kills"); do
  "$tool" put "$db" 1 <"$work/$next.txt" >/dev/null 2>&1 &
  pid=$!
  sleep "$(printf "0.%04d" $((RANDOM % 150)))"
  if kill -9 "$pid" 2>/dev/null; then cut_short=$((cut_short + 1)); fi
  wait "$pid" 2>/dev/null || true
  if ! "$tool" check "$db" >"$work/check.txt" 2>&1; then
    # A journal left by the kill is rolled back by the next writer; readers say it is there.
    if grep -q 'save was interrupted' "$work/check.txt"; then hot=$((hot + 1))
    else broken=$((broken + 1)); cat "$work/check.txt"; fi
  fi
  case $(body_sum) in
    "$(cat "$work/$next.sum")") new=$((new + 1)); next=$([ "$next" = a ] && echo b || echo a) ;;
    "$(cat "$work/a.sum")" | "$(cat "$work/b.sum")") old=$((old + 1)) ;;
    *) torn=$((torn + 1)) ;;
  esac
  count=$("$tool" list "$db" | wc -l)
  [ "$count" -eq 3 ] || { broken=$((broken + 1)); echo "kill $i: $count memos"; }
done
"$tool" check "$db" >/dev/null || broken=$((broken + 1))
echo "kills $kills, cut short $cut_short, journal left $hot, old body $old, new body $new, torn $torn, damaged $broken"
[ "$torn" -eq 0 ] && [ "$broken" -eq 0 ]
