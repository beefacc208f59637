#!/usr/bin/env bash
# Constructs the project keeps out of its code, each with the place it belongs and a hint.
# A line may carry "// allowed: <reason>" when it is the exception. Exit 1 on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
# check PATTERN (extended regex) ALLOWED-PATHS (regex on the path, or "") HINT
check() {
  local pattern=$1 allowed=$2 hint=$3 hits
  hits=$(git ls-files -- '*.cpp' '*.h' | { if [ -n "$allowed" ]; then grep -Ev "$allowed"; else cat; fi; } |
    xargs -r grep -nE -- "$pattern" | grep -v "// allowed: " || true)
  if [ -n "$hits" ]; then
    printf '%s\n  -> %s\n\n' "$hits" "$hint" >&2
    status=1
  fi
}
check 'QMessageBox' '^(platform/Application\.cpp|host/shell/)' \
  "messages go through platform::Application() or the host's ILogIntf"
check 'catch \(const (platform::)?EAbort' '^(platform/SlotGuard\.h|plugin/Command\.cpp|host/shell/|tests/)' \
  "let EAbort reach the slot guard; use platform::GuardedFinished where the caller goes on"
check 'dynamic_cast<const (platform::)?EAbort' '^(tests/)' \
  "run the command through plugin::RunCommand, which lets a silent end pass on"
check 'Engine::' '^(host/db/|tests/|bench/|fuzz/)' \
  "engine differences live in host/db; nothing above it knows the engine"
check '__builtin_' '' \
  "use portable code (platform/CheckedInt.h for overflow checks)"
check "replace\(.*(\"''\"|u'\\\\''.*'')" '^model/SqlText\.cpp' \
  "quote text values with model::SqlEsc / model::QuotedStr"
check 'QTest::qWait\([^/]*$' '' \
  "wait with QTRY_VERIFY_WITH_TIMEOUT; a wait for something that must not happen says why on the same line"
exit $status
