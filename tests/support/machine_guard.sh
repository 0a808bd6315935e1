# What a test run must leave as it found it; test.sh sources this file.
# guard_note DIR writes the machine's state into DIR before the run, and
# exports AMBER_TEST_RUN, which whatever the run starts inherits.
# guard_check DIR compares after the run, names every difference, and fails
# on any:
#   - /dev/null, /dev/zero and /dev/urandom, the same character devices;
#   - no process carrying the run's mark still alive;
#   - nothing new in /tmp, its X and ICE socket folders, or /dev/shm;
#   - no new mount.

guard_devices() { stat -c '%n: %F %t:%T mode %a owner %U' /dev/null /dev/zero /dev/urandom; }

guard_tmp() {
  local dir
  for dir in /tmp /tmp/.X11-unix /tmp/.ICE-unix /dev/shm; do
    [ -d "$dir" ] && find "$dir" -mindepth 1 -maxdepth 1 \( -path /tmp/.X11-unix -o \
      -path /tmp/.ICE-unix -o -print \)
  done | sort
}

guard_mounts() { awk '{print $5}' /proc/self/mountinfo | sort; }

# The processes carrying this run's mark, but for this shell and its
# ancestors, as "pid command line".
guard_processes() {
  local pid keep=" " p=$$
  while [ "${p:-0}" -gt 1 ]; do keep+="$p "; p=$(awk '{print $4}' "/proc/$p/stat" 2>/dev/null); done
  for pid in $(ls /proc | grep -x '[0-9]*'); do
    [[ $keep == *" $pid "* || $pid == "$BASHPID" ]] && continue
    tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "AMBER_TEST_RUN=$AMBER_TEST_RUN" ||
      continue
    echo "$pid $(tr '\0' ' ' 2>/dev/null <"/proc/$pid/cmdline")"
  done
}

guard_note() {
  local dir=$1
  mkdir -p "$dir"
  export AMBER_TEST_RUN="$$.$(date +%s%N)"
  guard_devices >"$dir/devices"
  guard_tmp >"$dir/tmp"
  guard_mounts >"$dir/mounts"
}

# Prints what differs from the note in $1 and returns 1 if anything does.
guard_check() {
  local dir=$1 found=0 left
  left=$(diff "$dir/devices" <(guard_devices) | sed -n 's/^[<>]/ &/p')
  [ -z "$left" ] || { echo "machine guard: a device changed:"; echo "$left"; found=1; }
  left=$(guard_processes)
  [ -z "$left" ] || { echo "machine guard: processes the run started are still alive:"; sed 's/^/  /' <<<"$left"; found=1; }
  left=$(comm -13 "$dir/tmp" <(guard_tmp))
  [ -z "$left" ] || { echo "machine guard: new in /tmp or /dev/shm:"; sed 's/^/  /' <<<"$left"; found=1; }
  left=$(comm -13 "$dir/mounts" <(guard_mounts))
  [ -z "$left" ] || { echo "machine guard: mounts left behind:"; sed 's/^/  /' <<<"$left"; found=1; }
  [ "$found" = 0 ] && echo "machine guard: devices, processes, /tmp and mounts as before"
  return "$found"
}
