#!/usr/bin/env bash
# tovrik-cli and tovrik-assistant --provision read one command line the same way, against
# tovrik-sim on a pseudo-terminal: port numbers (3, COM3, --port=3) from the one settings file
# both use, a usage error said in one line, one wording of the steps with a progress that ends
# at 100 %, a port named once, a too-long value named by its caption, and a port that cannot be
# opened said with the device and the system's reason, on the line and in the report row.
# Usage: cli_front_ends.sh <tovrik-cli> <tovrik-assistant> <tovrik-sim> <source folder>
set -euo pipefail
cli=$1
exe=$2
sim=$3
tmp=$(mktemp -d)
simpid=
extra=
trap '[ -n "$simpid" ] && kill "$simpid" 2>/dev/null; [ -n "$extra" ] && kill "$extra" 2>/dev/null; rm -rf "$tmp"' EXIT
source "$(dirname "$0")/../support_sim.sh"
. "$4/packaging/self-check-lib.sh"
# The system's reasons in its own English words; the window's self-check needs a platform.
export LC_ALL=C QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$tmp/runtime"
data=$tmp/data
mkdir -p "$data"

# Runs a program with the test's data folder; sets $out (stdout and stderr), $err (stderr alone)
# and $rc.
run_with() {
    local program=$1
    shift
    "$program" --data-folder "$data" "$@" > "$tmp/stdout" 2> "$tmp/stderr" && rc=0 || rc=$?
    err=$(cat "$tmp/stderr")
    out=$(cat "$tmp/stdout" "$tmp/stderr")
    echo "$out"
}
run() { run_with "$cli" "$@"; }
assistant() { run_with "$exe" "$@"; }
expect_rc() { [ "$rc" -eq "$1" ] || fail "$2: exit $rc, expected $1: $out"; }
# A usage error: exit 2 and exactly one line on standard error, no help text.
expect_usage_error() { # expect_usage_error <program name> <the error> <what>
    expect_rc 2 "$3"
    [ "$err" = "$1: $2; see $1 --help" ] || fail "$3: said '$err'"
    ! grep -q 'Usage:' <<< "$out" || fail "$3: the whole help was printed"
}

printf '[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\nBasicInfo_GSensorParams=700\r\nAuthNumber_VIP1=+4912345\r\nAuthNumber_VIP2=\r\nAuthNumber_VIP3=\r\nAuthNumber_VIP4=\r\nAuthNumber_VIP5=\r\nGPRS_IPAdd=10.1.2.3\r\nGPRS_Port=9000\r\nGPRS_APN=internet\r\nGPRS_User=\r\nGPRS_Pass=\r\nDataUpLoad_Normal=1\r\nDataUpLoad_Moving=0\r\nDataUpLoad_Mode=2\r\nDataUpLoad_KeepAlive=0\r\nDataUpLoad_KeepAliveTime=300\r\nAlarm_Params=1,2,3,0,1\r\n' > "$tmp/fleet.cfg"

start_sim --id 0000000081

# --- One settings file: the one the window reports is the one whose numbers tovrik-cli takes ---
printf '[ports]\r\n3=%s\r\n' "$device" > "$data/tovrik-assistant.ini"
report=$("$exe" --data-folder "$data" --self-check 2> "$tmp/self-check.err") ||
    fail "--self-check failed: $(cat "$tmp/self-check.err")"
expect_value "$report" settings-file "$data/tovrik-assistant.ini"
grep -qE "^ports: (.*, )?3=$device(,|\$)" <<< "$report" || fail "the window does not list 3=$device: $report"
# ...and a number that file does not give is no port of either program.
run detect --port 97; expect_rc 3 "a number the settings file does not give"
grep -q -- '--port 97 names no serial device' <<< "$out" || fail "the unknown number is not named: $out"

# --- The same port options, read the same way by both programs ---
for port in 3 COM3 com3; do
    run detect --port "$port"; expect_rc 0 "tovrik-cli detect --port $port"
    grep -q 'tracker: 0000000081, firmware SIM-1.0.0' <<< "$out" || fail "detect --port $port: $out"
done
run provision "$tmp/fleet.cfg" --port=COM3 --report "$tmp/cli.csv"; expect_rc 0 "tovrik-cli provision --port=COM3"
assistant --provision "$tmp/fleet.cfg" --port COM3 --report "$tmp/assistant.csv"; expect_rc 0 "tovrik-assistant --port COM3"
grep -q '^result: pass$' <<< "$out" || fail "--provision --port COM3 did not pass"
grep -q "^port: $device\$" <<< "$out" || fail "--port COM3 is not the device of number 3: $out"
assistant --provision="$tmp/fleet.cfg" --port=3 --report="$tmp/assistant.csv" --verify-only
expect_rc 0 "tovrik-assistant --provision=FILE --port=3 --report=FILE --verify-only"
grep -q ",0000000081,SIM-1.0.0,pass,,$device"$'\r$' "$tmp/cli.csv" || fail "no row of tovrik-cli: $(cat "$tmp/cli.csv")"
[ "$(grep -c ",0000000081,SIM-1.0.0,pass,,$device"$'\r$' "$tmp/assistant.csv")" -eq 2 ] ||
    fail "no rows of tovrik-assistant: $(cat "$tmp/assistant.csv")"

# --- Usage errors: the one error and where the help is; both programs in the same words ---
run detect --port --data-folder "$tmp/other"
expect_usage_error tovrik-cli '--port needs a value' "detect --port --data-folder"
assistant --provision "$tmp/fleet.cfg" --port --report "$tmp/r.csv"
expect_usage_error tovrik-assistant '--port needs a value' "--provision --port --report"
run provision "$tmp/fleet.cfg" --port
expect_usage_error tovrik-cli '--port needs a value' "--port at the end"
run detect --port ttyUSB0
expect_usage_error tovrik-cli '--port takes a port number (3 or COM3) or a device path, not "ttyUSB0"' "a port that is no port"
assistant --provision "$tmp/fleet.cfg" --port ttyUSB0
expect_usage_error tovrik-assistant '--port takes a port number (3 or COM3) or a device path, not "ttyUSB0"' \
    "--provision with a port that is no port"
run detect --port 3 "$tmp/fleet.cfg"
expect_usage_error tovrik-cli "detect takes no file, not \"$tmp/fleet.cfg\"" "detect with a file"
run detect --port 3 --report "$tmp/r.csv"
expect_usage_error tovrik-cli '--report goes with provision' "detect with --report"
run verify "$tmp/fleet.cfg" --port 3 -o "$tmp/x.cfg"
expect_usage_error tovrik-cli '-o goes with read' "verify with -o"
run detect --port 3 --frobnicate
expect_usage_error tovrik-cli "Unknown option 'frobnicate'" "an unknown option"
run frobnicate --port 3
expect_usage_error tovrik-cli 'unknown command frobnicate' "an unknown command"
assistant --port 3
expect_usage_error tovrik-assistant '--port goes with --provision' "--port without --provision"
assistant --provision "$tmp/fleet.cfg" --port 3 --simulate
expect_usage_error tovrik-assistant '--simulate does not go with --provision' "--simulate with --provision"
assistant --provision "$tmp/fleet.cfg"
expect_usage_error tovrik-assistant '--provision needs --port' "--provision without a port"
assistant --verify-only=yes
expect_usage_error tovrik-assistant '--verify-only takes no value' "a value for a switch"
[ ! -e "$tmp/r.csv" ] || fail "a usage error appended a report row"
[ ! -e "$tmp/other" ] || fail "a usage error made the data folder it named"

# --- One wording of the steps; the progress ends at 100 % ---
run detect --port 3; expect_rc 0 "detect"
grep -q '^Asking the tracker who it is (0%)$' <<< "$out" || fail "detect words its step otherwise: $out"
! grep -qi 'identify' <<< "$out" || fail "detect still says identify: $out"
run write "$tmp/fleet.cfg" --port 3; expect_rc 0 "write"
grep -q '^Asking the tracker who it is (0%)$' <<< "$out" || fail "write words its first step otherwise: $out"
percents=$(sed -n 's/.* (\([0-9]*\)%)$/\1/p' <<< "$out")
[ "$(tail -n 1 <<< "$percents")" = 100 ] || fail "write's progress ends at $(tail -n 1 <<< "$percents") %: $out"
sort -n -c <<< "$percents" || fail "write's progress goes back: $percents"
run read --port 3 -o "$tmp/read.cfg" --json; expect_rc 0 "read --json"
python3 - "$out" <<'PY' || fail "read's JSON steps: $out"
import json, sys
steps = [l for l in map(json.loads, sys.argv[1].splitlines()) if l["event"] == "step"]
assert steps[0]["step"] == "identify" and steps[0]["text"] == "Asking the tracker who it is", steps
assert steps[-1]["progress"] == 100, steps
PY
# ...and --provision --json prints the same objects as tovrik-cli provision --json.
for program in cli assistant; do
    if [ "$program" = cli ]; then run provision "$tmp/fleet.cfg" --port 3 --report "$tmp/json.csv" --json
    else assistant --provision "$tmp/fleet.cfg" --port 3 --report "$tmp/json.csv" --json; fi
    expect_rc 0 "$program --json"
    python3 - "$out" "$device" <<'PY' || fail "$program's JSON lines: $out"
import json, sys
lines = [json.loads(l) for l in sys.argv[1].splitlines()]
steps = [l for l in lines if l["event"] == "step"]
assert steps[0]["step"] == "identify" and steps[0]["text"] == "Asking the tracker who it is", steps
assert steps[-1]["progress"] == 100, steps
results = [l for l in lines if l["event"] == "result"]
assert results == [{"event": "result", "port": sys.argv[2], "result": "pass", "differences": []}], results
assert [l["event"] for l in lines if l["event"] not in ("step", "info")] == ["port", "tracker", "result", "report"], lines
PY
done

# --- Several ports: each line names its port once ---
"$sim" --id 0000000082 > "$tmp/sim-82.out" 2> /dev/null &
extra=$!
for _ in $(seq 100); do [ -s "$tmp/sim-82.out" ] && break; sleep 0.05; done
dev82=$(head -n 1 "$tmp/sim-82.out")
for program in cli assistant; do
    if [ "$program" = cli ]; then run provision "$tmp/fleet.cfg" --port 3 --port "$dev82" --report "$tmp/two.csv"
    else assistant --provision "$tmp/fleet.cfg" --port 3 --port "$dev82" --report "$tmp/two.csv"; fi
    expect_rc 0 "$program on two ports"
    for d in "$device" "$dev82"; do
        [ "$(grep -c "^port: $d\$" <<< "$out")" -eq 1 ] || fail "$program: $d is not announced once: $out"
        grep -q "^$d: result: pass\$" <<< "$out" || fail "$program: no result of $d: $out"
    done
    ! grep -q ': port: ' <<< "$out" || fail "$program repeats a port: $out"
done
kill "$extra"; extra=

# --- A value too long to send is named by its caption, as the window names it ---
long=$(printf 'x%.0s' $(seq 300))
sed "s/^BasicInfo_AnotherName=Van7/BasicInfo_AnotherName=$long/" "$tmp/fleet.cfg" > "$tmp/long.cfg"
sed "s/^GPRS_APN=internet/GPRS_APN=$long/" "$tmp/fleet.cfg" > "$tmp/long-apn.cfg"
for file in long long-apn; do
    caption=$([ "$file" = long ] && echo 'Another Name' || echo APN)
    run write "$tmp/$file.cfg" --port 3; expect_rc 2 "write $file"
    grep -q "The value of \"$caption\" is too long" <<< "$out" || fail "write $file does not name \"$caption\": $out"
    assistant --provision "$tmp/$file.cfg" --port 3 --report "$tmp/long.csv"; expect_rc 2 "--provision $file"
    grep -q "The value of \"$caption\" is too long" <<< "$out" || fail "--provision $file does not name \"$caption\": $out"
    ! grep -q '"P[0-9]*"' <<< "$out" || fail "$file: a command number names the value: $out"
done

# --- A port that cannot be opened: the device and the system's reason, on the line and in the row ---
touch "$tmp/plain-file"
run detect --port /dev/nonexistent-tty; expect_rc 3 "a missing device"
[ "$err" = "tovrik-cli: /dev/nonexistent-tty: Unable to open com port (Error: 2): No such file or directory" ] ||
    fail "a missing device: $err"
run detect --port "$tmp/plain-file"; expect_rc 3 "a file that is no device"
[ "$err" = "tovrik-cli: $tmp/plain-file: Unable to open com port (Error: 25): Inappropriate ioctl for device" ] ||
    fail "a file that is no device: $err"
run read --port "$tmp/plain-file" -o "$tmp/never.cfg"; expect_rc 3 "read from a file that is no device"
grep -q 'Inappropriate ioctl for device' <<< "$err" || fail "read does not say the reason: $err"
[ ! -e "$tmp/never.cfg" ] || fail "read saved a file without a tracker"
run provision "$tmp/fleet.cfg" --port /dev/nonexistent-tty --port 3 --report "$tmp/open.csv"
expect_rc 3 "provision on a missing device and a good one"
grep -q "^tovrik-cli: /dev/nonexistent-tty: Unable to open com port (Error: 2): No such file or directory\$" <<< "$err" ||
    fail "provision does not say why the port did not open: $err"
grep -q "^$device: result: pass\$" <<< "$out" || fail "the good port did not pass beside the missing one: $out"
assistant --provision "$tmp/fleet.cfg" --port "$tmp/plain-file" --report "$tmp/open.csv"; expect_rc 3 "--provision on a file"
grep -q "^tovrik-assistant: $tmp/plain-file: Unable to open com port (Error: 25): Inappropriate ioctl for device\$" <<< "$err" ||
    fail "--provision does not say why the port did not open: $err"
cat "$tmp/open.csv"
grep -q ',,,no tracker,the port could not be opened: /dev/nonexistent-tty: Unable to open com port (Error: 2): No such file or directory,/dev/nonexistent-tty'$'\r$' "$tmp/open.csv" ||
    fail "the row of the missing device: $(cat "$tmp/open.csv")"
grep -q ",,,no tracker,the port could not be opened: $tmp/plain-file: Unable to open com port (Error: 25): Inappropriate ioctl for device,$tmp/plain-file"$'\r$' "$tmp/open.csv" ||
    fail "the row of the file: $(cat "$tmp/open.csv")"
grep -q ",0000000081,SIM-1.0.0,pass,,$device"$'\r$' "$tmp/open.csv" || fail "no row of the good port: $(cat "$tmp/open.csv")"
# A report that cannot take the row of a port that did not open: said, exit 4.
run provision "$tmp/fleet.cfg" --port /dev/nonexistent-tty --report /dev/full; expect_rc 4 "an unopened port into /dev/full"
grep -q 'the report row was not saved' <<< "$err" || fail "the lost row is not said: $err"

# A device the user may not open: the reason and whom to ask (run as "nobody", where root can).
if [ "$(id -u)" -eq 0 ] && command -v setpriv > /dev/null; then
    chmod 0600 "$device"
    chmod 755 "$tmp"
    mkdir -p "$tmp/nobody"
    chown nobody "$tmp/nobody"
    out=$(setpriv --reuid=nobody --regid=nogroup --clear-groups "$cli" --data-folder "$tmp/nobody" detect --port "$device" 2>&1) &&
        rc=0 || rc=$?
    echo "$out"
    expect_rc 3 "a device only root may open"
    grep -qF "tovrik-cli: $device: Unable to open com port (Error: 13): Permission denied. Only \"root\" may use $device" <<< "$out" ||
        fail "a device only root may open: $out"
fi
echo "cli_front_ends: all passed"
