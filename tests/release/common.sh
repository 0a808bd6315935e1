# What the release tests share; they source it.

# Waits up to $1 tenths of a second for the file $2 to hold $3.
await() {
  for _ in $(seq "$1"); do grep -qF "$3" "$2" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

# Whether the file $1 holds the start-up trace of a finished loading: the
# main thread's lines in order, the loading thread's anywhere between the
# drive's opening and its closing. Windows ends text lines with CR LF.
trace_is_right() {
  local main_thread trace
  main_thread=$'VELQ_MAIN\nCFS_Open: Attempting to open drive ./amber_grid.cfs ... done.\nCFS_Open: WendrikFS drive v1.1 (24 files in drive)\nVELQ_TIMER\nVELQ_CORE\nCFS_Close: Closing drive ... done.'
  trace=$(tr -d '\r' <"$1")
  [ "$(grep -vx VELQ_LOADER <<<"$trace")" = "$main_thread" ] &&
    sed -n '4,6p' <<<"$trace" | grep -qx VELQ_LOADER
}
