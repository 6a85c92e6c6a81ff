#!/usr/bin/env bash
# add_spdx.sh [--check]: gives every source file of the tree (C and C++, resource scripts,
# CMake, shell and Python, as git lists them) the line
#   SPDX-License-Identifier: GPL-3.0-or-later
# in its own comment style, first in the file or right after a #! line. A file that has an
# SPDX line within its first five lines is left as it is, so running it again changes
# nothing. --check changes nothing and prints the files that lack the line.
set -euo pipefail
cd "$(dirname "$0")/../.."
licence="SPDX-License-Identifier: GPL-3.0-or-later"
check=0
[ "${1:-}" = --check ] && check=1

git ls-files -z -- '*.c' '*.cpp' '*.h' '*.rc' '*.py' '*.sh' '*.cmake' 'CMakeLists.txt' \
    '*/CMakeLists.txt' '.ci/run' | while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue
    top=$(head -n 5 "$file")
    [[ $top == *"SPDX-License-Identifier:"* ]] && continue
    if [ "$check" -eq 1 ]; then
        echo "$file"
        continue
    fi
    case "$file" in
        *.c | *.cpp | *.h | *.rc) line="// $licence" ;;
        *) line="# $licence" ;;
    esac
    if [[ $top == "#!"* ]]; then
        { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } >"$file.spdx"
    else
        { echo "$line"; cat "$file"; } >"$file.spdx"
    fi
    chmod --reference="$file" "$file.spdx"
    mv "$file.spdx" "$file"
done
