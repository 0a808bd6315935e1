#!/usr/bin/env bash
# setup_lists_test.sh: the README shows each set-up profile's packages as
# `./setup.sh --list` prints them.
set -euo pipefail
source_dir=$(realpath "$(dirname "$0")/../..")
diff -u <(awk '/^`setup.sh` holds the packages/ {on = 1}
               on && /^```text$/ {block = 1; next}
               block && /^```$/ {exit}
               block' "$source_dir/README.md") \
     <("$source_dir/setup.sh" --list) --label README.md --label "setup.sh --list"
