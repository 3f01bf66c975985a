# Shared by the command-line test scripts: sourced after they set $sim (tovrik-sim) and $tmp.
fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts a simulated tracker with the given options (ending the one before); sets $device.
start_sim() {
    [ -n "${simpid:-}" ] && { kill "$simpid"; wait "$simpid" 2>/dev/null || true; }
    : > "$tmp/sim.out"
    "$sim" "$@" > "$tmp/sim.out" 2> /dev/null &
    simpid=$!
    for _ in $(seq 100); do [ -s "$tmp/sim.out" ] && break; sleep 0.05; done
    device=$(head -n 1 "$tmp/sim.out")
    [ -c "$device" ] || fail "tovrik-sim gave no device"
}
