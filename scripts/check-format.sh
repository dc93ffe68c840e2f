#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted by .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
bad=0
while IFS= read -r f; do
	if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
		echo "not clang-formatted: $f"
		bad=1
	fi
done < <(git ls-files -- '*.cpp' '*.h' '*.hpp')
if [ "$bad" != 0 ]; then
	echo "run: clang-format -i \$(git ls-files '*.cpp' '*.h' '*.hpp')"
	exit 1
fi
echo "format check passed"
