#!/usr/bin/env bash
# release/windows/check_folder.sh FOLDER: whether a Windows release folder
# runs on a fresh Windows 10 or 11 as far as its files tell: every .exe and
# .dll imports only DLLs the folder brings or that every such Windows has,
# and every .exe carries a manifest that declares it DPI-aware per monitor,
# run as the user, and made for Windows 10 and 11. Prints each file with its
# imports; fails on the first file that breaks a rule.
set -euo pipefail
folder=${1:?usage: release/windows/check_folder.sh FOLDER}
# Windows' own DLLs, with its C runtimes and the api-ms-win-* sets; shlwapi,
# which libmpg123 takes its path handling from, is in every Windows since 2000.
system='^(kernel32|user32|gdi32|opengl32|glu32|winmm|imm32|ole32|oleaut32|shell32|advapi32|version|setupapi|cfgmgr32|hid|shlwapi|msvcrt|ucrtbase)\.dll$|^api-ms-win-'

# What a program's manifest must say, each as a pattern of its own.
manifest_rules=(
  '<dpiAwareness[^>]*>PerMonitorV2</dpiAwareness>'
  '<dpiAware[^>]*>true</dpiAware>'
  'level="asInvoker"'
  '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
)

# The manifest in a program's resources, as text: the resource section's
# bytes, read back from objdump's hex dump.
manifest_of() {
  x86_64-w64-mingw32-objdump -s -j .rsrc "$1" | sed -n 's/^ *[0-9a-f]\+ \(.\{35\}\).*/\1/p' |
    tr -d ' \n' | sed 's/../\\x&/g' | { read -r hex; printf '%b' "$hex"; } | tr -d '\0' |
    sed -n '/<assembly /,/<\/assembly>/p'
}

files=0
while IFS= read -r -d '' f; do
  files=$((files + 1))
  name=${f#"$folder/"}
  imports=$(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p')
  for dll in $imports; do
    lower=${dll,,}
    if [ ! -e "$folder/$dll" ] && [[ ! $lower =~ $system ]]; then
      echo "$name imports $dll, which is neither in the folder nor on every Windows" >&2
      exit 1
    fi
  done
  if [[ ${name,,} == *.exe ]]; then
    manifest=$(manifest_of "$f")
    for rule in "${manifest_rules[@]}"; do
      if ! grep -q -- "$rule" <<<"$manifest"; then
        echo "$name's manifest lacks $rule" >&2
        exit 1
      fi
    done
  fi
  echo "$name:" $imports
done < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
if [ "$files" = 0 ]; then
  echo "no .exe or .dll in $folder" >&2
  exit 1
fi
