#!/usr/bin/env bash
# Fails when a tracked C++ file differs from .clang-format, naming each one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
status=0
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run -Werror --style=file "$file" >/dev/null 2>&1; then
    echo "not formatted: $file (clang-format -i --style=file $file)" >&2
    status=1
  fi
done < <(git ls-files -z -- '*.h' '*.cpp')
exit $status
