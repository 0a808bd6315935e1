#!/usr/bin/env bash
# release/check_folder.sh FOLDER: whether a release folder runs on a party
# machine as far as its files tell: every ELF file needs only libraries the
# folder's lib/ brings or that every desktop system has, and no C library
# version newer than the oldest the release supports. Prints each ELF file
# with the newest version it needs; fails on the first file that breaks
# either rule.
set -euo pipefail
folder=${1:?usage: release/check_folder.sh FOLDER}
newest_allowed=GLIBC_2.34
# The graphics, window, sound and C libraries every desktop has, which come
# with its drivers and so are never brought.
system='^(libc|libm|libdl|libpthread|librt|ld-linux-x86-64|libgcc_s)\.so|^lib(GL|GLX|EGL|OpenGL|GLdispatch|drm|gbm)\.so|^libX[A-Za-z0-9-]*\.so|^libxcb|^libxkbcommon\.so|^libwayland-(client|cursor|egl)\.so|^lib(asound|pulse)\.so'

elves=0
while IFS= read -r -d '' f; do
  [ "$(head -c 4 "$f")" = $'\x7fELF' ] || continue
  elves=$((elves + 1))
  name=${f#"$folder/"}
  for lib in $(readelf -d "$f" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    if [ ! -e "$folder/lib/$lib" ] && [[ ! $lib =~ $system ]]; then
      echo "$name needs $lib, which is neither in lib/ nor on every system" >&2
      exit 1
    fi
  done
  newest=$(objdump -T "$f" | grep -o 'GLIBC_2\.[0-9]*' | sort -uV | tail -n 1)
  if [ "$(printf '%s\n%s\n' "$newest" "$newest_allowed" | sort -V | tail -n 1)" != "$newest_allowed" ]; then
    echo "$name needs $newest, newer than $newest_allowed" >&2
    exit 1
  fi
  echo "$name: $newest"
done < <(find "$folder" -type f -print0 | sort -z)
if [ "$elves" = 0 ]; then
  echo "no ELF files in $folder" >&2
  exit 1
fi
