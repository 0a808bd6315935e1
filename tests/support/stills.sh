#!/bin/sh
# Stills at a moment in every tape entry, made by a capture program into
# DIR; with STILLCMP and REFERENCE_DIR, each compared with the reference
# still of the same moment.
#   stills.sh DIR STILL_MOMENTS CAPTURE [STILLCMP REFERENCE_DIR]
set -eu
dir=$1
moments=$("$2" | head -n 1)
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
"$3" --still "$moments" >capture.log 2>&1 || { cat capture.log; exit 1; }
[ $# -eq 3 ] && exit 0
status=0
for t in $(echo "$moments" | tr , ' '); do
  still=amber_grid_at_$(printf %g "$t").png
  "$4" "$5/$still" "$still" || status=1
done
exit $status
