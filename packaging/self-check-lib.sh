# shellcheck shell=bash
# Reading the "key: value" lines that `tovrik-assistant --self-check` prints; sourced by the
# scripts that check a built or installed program. Every expect_* ends the script with a message
# on the first mismatch.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# report_value REPORT KEY: the value of the first line "KEY: value".
report_value() {
    printf '%s\n' "$1" | sed -n "s/^$2: //p" | head -n 1
}

# expect_value REPORT KEY VALUE
expect_value() {
    local value
    value=$(report_value "$1" "$2")
    [ "$value" = "$3" ] || fail "$2 is '$value', expected '$3'"
}

# expect_listed REPORT KEY ITEM SEPARATOR: the list in KEY holds ITEM.
expect_listed() {
    local value
    value=$(report_value "$1" "$2")
    case "$4$value$4" in
        *"$4$3$4"*) ;;
        *) fail "$2 '$value' does not hold '$3'" ;;
    esac
}

# expect_port_of_simulator REPORT: the simulated tracker's device is listed and selected.
expect_port_of_simulator() {
    local device number
    device=$(report_value "$1" simulator)
    [ -n "$device" ] && [ "$device" != none ] || fail "no simulated tracker was started"
    number=$(report_value "$1" ports | tr ',' '\n' | sed -n "s|^ *\([0-9]*\)=$device\$|\1|p")
    [ -n "$number" ] || fail "the simulator's device $device is not in the port list '$(report_value "$1" ports)'"
    expect_value "$1" port-selected "$number"
}

# listing FOLDER: every file and folder below FOLDER with its size and modification time, so that
# two listings differ when anything was added, removed or rewritten.
listing() {
    find "$1" -printf '%p %s %T@\n' | sort
}
