#!/bin/sh
# Fails, naming the files, when a C++ file of ours is not laid out as
# .clang-format says. Run `clang-format -i FILE` to lay it out.
set -eu
root=$1
formatter=$2
cd "$root"
status=0
for file in $(find src tools tests bench -name '*.cpp' -o -name '*.h' | sort); do
  if ! "$formatter" --style=file --dry-run --Werror "$file" >/dev/null 2>&1; then
    echo "not formatted: $file"
    status=1
  fi
done
exit $status
