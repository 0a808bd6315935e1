#!/usr/bin/env bash
# machine_guard_test.sh: the machine guard names a process a run left alive
# and a file it left in /tmp, and holds again once both are gone. Other
# tests may change /tmp meanwhile, so only this test's own traces count.
set -euo pipefail
source "$(dirname "$0")/machine_guard.sh"
work=$(mktemp -d) left="" straggler=""
trap 'kill $straggler 2>/dev/null || true; rm -rf "$work" $left' EXIT
fail() { echo "FAIL: $1: $said"; exit 1; }
guard_note "$work"
sleep 300 & straggler=$!
left=$(mktemp /tmp/amber_guard_test.XXXXXX)
said=$(guard_check "$work") && fail "the guard held"
grep -qx "  $straggler sleep 300 " <<<"$said" || fail "no straggler named"
grep -qx "  $left" <<<"$said" || fail "no $left named"
kill $straggler && wait $straggler 2>/dev/null || true
rm "$left"
said=$(guard_check "$work") || true
! grep -q "$straggler sleep\|$left" <<<"$said" || fail "still named"
