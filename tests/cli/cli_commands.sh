#!/usr/bin/env bash
# tovrik-cli against tovrik-sim on a pseudo-terminal, with no display and no platform plugin:
# detect, read, write and verify with their exit codes, JSON lines that parse, and an
# executable that needs no Qt Gui, Widgets or WebEngine.
# Usage: cli_commands.sh <tovrik-cli> <tovrik-sim>
set -euo pipefail
cli=$1
sim=$2
tmp=$(mktemp -d)
simpid=
trap '[ -n "$simpid" ] && kill "$simpid" 2>/dev/null; rm -rf "$tmp"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
source "$(dirname "$0")/../support_sim.sh"
run() { out=$("$cli" --data-folder "$tmp/data" "$@" 2>&1) && rc=0 || rc=$?; echo "$out"; }
expect_rc() { [ "$rc" -eq "$1" ] || fail "$2: exit $rc, expected $1"; }

# Only Qt Core (and the C++ runtime) among the needed libraries.
needed=$(readelf -d "$cli" | grep NEEDED)
grep -q 'libQt6Core' <<< "$needed" || fail "tovrik-cli does not link Qt Core"
! grep -qE 'libQt6(Gui|Widgets|WebEngine|Network|OpenGL)' <<< "$needed" || fail "tovrik-cli links more than Qt Core: $needed"

# Each command has its own --help.
help=$("$cli" provision --help) || fail "provision --help failed"
grep -q '^Usage: tovrik-cli provision' <<< "$help" && grep -q -- '--ports all' <<< "$help" && ! grep -q '^  detect' <<< "$help" \
    || fail "provision --help: $help"

start_sim --id 0000000042
mkdir -p "$tmp/data"
printf '[ports]\n7=%s\n' "$device" > "$tmp/data/tovrik-assistant.ini"
run detect --port 7; expect_rc 0 "detect by number"
run detect --port COM7; expect_rc 0 "detect by COM number"
grep -q 'tracker: 0000000042, firmware SIM-1.0.0' <<< "$out" || fail "detect did not print the tracker"

run read --port "$device" -o "$tmp/read.cfg"; expect_rc 0 "read"
grep -q '^GPRS_Port=8888' "$tmp/read.cfg" || fail "read did not save the port"
grep -q '^DataUpLoad_KeepAliveTime=300' "$tmp/read.cfg" || fail "read did not save the keep-alive"

printf '[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\nBasicInfo_GSensorParams=700\r\nAuthNumber_VIP1=+4912345\r\nAuthNumber_VIP2=\r\nAuthNumber_VIP3=\r\nAuthNumber_VIP4=\r\nAuthNumber_VIP5=\r\nGPRS_IPAdd=10.1.2.3\r\nGPRS_Port=9000\r\nGPRS_APN=internet\r\nGPRS_User=\r\nGPRS_Pass=\r\nDataUpLoad_Normal=1\r\nDataUpLoad_Moving=0\r\nDataUpLoad_Mode=2\r\nDataUpLoad_KeepAlive=%s\r\nDataUpLoad_KeepAliveTime=%s\r\nAlarm_Params=1,2,3,0,1\r\n' 1 30 > "$tmp/fleet.cfg"
run verify "$tmp/fleet.cfg" --port "$device"; expect_rc 1 "verify before writing"
grep -q 'differs: Port: expected "9000", tracker "8888"' <<< "$out" || fail "verify did not name the port"

run write "$tmp/fleet.cfg" --port "$device"; expect_rc 0 "write"
grep -q 'result: pass' <<< "$out" || fail "write did not pass"
run verify "$tmp/fleet.cfg" --port "$device"; expect_rc 0 "verify after writing"

# Fences travel both ways; provision appends its report row.
printf 'number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r\n7,Depot,113.945617,22.917922,114,22.5\r\n' > "$tmp/fences.csv"
run write "$tmp/fleet.cfg" --port "$device" --fences "$tmp/fences.csv"; expect_rc 0 "write with fences"
run read --port "$device" -o "$tmp/back.cfg" --fences-out "$tmp/back.geojson"; expect_rc 0 "read with fences"
python3 - "$tmp/back.geojson" <<'PY' || fail "the fence did not come back"
import json, sys
features = json.load(open(sys.argv[1]))["features"]
assert [f["properties"]["name"] for f in features] == ["Depot"], features
PY
grep -q '^DataUpLoad_KeepAliveTime=300' "$tmp/back.cfg" || fail "keep-alive 30 shows as off with 300 in a saved file"
run provision "$tmp/fleet.cfg" --port "$device" --report "$tmp/report.csv"; expect_rc 0 "provision"
grep -q ",0000000042,SIM-1.0.0,pass," "$tmp/report.csv" || fail "no pass row: $(cat "$tmp/report.csv")"
run provision "$tmp/fleet.cfg" --port "$device" --report /dev/full; expect_rc 4 "provision into /dev/full"

# A tracker that ignores the fence write: exit 1 naming the fence.
start_sim --ignore-write 8
run write "$tmp/fleet.cfg" --port "$device" --fences "$tmp/fences.csv"; expect_rc 1 "an ignored fence"
grep -q 'differs: Geo-fence 7: expected "7,11356.7370,2255.0753,11400.0000,2230.0000,Depot", tracker "7,000.0000,000.0000,000.0000,000.0000,"' <<< "$out" \
    || fail "the ignored fence is not named: $out"

# A tracker that ignores the GPRS write: exit 1 naming each field it kept.
start_sim --ignore-write 5
run write "$tmp/fleet.cfg" --port "$device" --json; expect_rc 1 "write to a tracker that ignores one write"
python3 - "$out" <<'PY' || fail "JSON lines"
import json, sys
lines = [json.loads(l) for l in sys.argv[1].splitlines()]
result = [l for l in lines if l["event"] == "result"][-1]
assert result["result"] == "differs", result
fields = sorted(d["field"] for d in result["differences"])
assert fields == ["APN", "IP address", "Port"], fields
assert any(l["event"] == "tracker" and l["identifier"] == "0123456789" for l in lines)
PY

# Three trackers at once, one that keeps its low battery: each gets its row, the lines name the
# port, the run exits with the worst code (1), and --json names the port in every object.
extra=()
for id in 0000000071 0000000072; do
    "$sim" --id "$id" $([ "$id" = 0000000072 ] && echo --ignore-write 10) > "$tmp/sim-$id.out" 2> /dev/null &
    extra+=($!)
    for _ in $(seq 100); do [ -s "$tmp/sim-$id.out" ] && break; sleep 0.05; done
done
trap '[ -n "$simpid" ] && kill "$simpid" 2>/dev/null; kill "${extra[@]}" 2>/dev/null || true; rm -rf "$tmp"' EXIT
start_sim --id 0000000070
dev71=$(head -n 1 "$tmp/sim-0000000071.out"); dev72=$(head -n 1 "$tmp/sim-0000000072.out")
run provision "$tmp/fleet.cfg" --port "$device" --port "$dev71" --port "$dev72" --report "$tmp/three.csv" --json
expect_rc 1 "three trackers, one differing"
python3 - "$out" "$device" "$dev71" "$dev72" <<'PY' || fail "three ports: $out"
import json, sys
lines = [json.loads(l) for l in sys.argv[1].splitlines()]
results = {l["port"]: l for l in lines if l["event"] == "result"}
assert sorted(results) == sorted(sys.argv[2:5]), results
assert results[sys.argv[2]]["result"] == "pass" and results[sys.argv[3]]["result"] == "pass", results
assert [d["field"] for d in results[sys.argv[4]]["differences"]] == ["Low Battery"], results
assert all("port" in l for l in lines if l["event"] in ("step", "tracker", "result", "report")), lines
PY
[ "$(grep -c ',pass,\|,differs,' "$tmp/three.csv")" -eq 3 ] || fail "three ports: $(cat "$tmp/three.csv")"
grep -q ",0000000072,SIM-1.0.0,differs,.*,$dev72"$'\r$' "$tmp/three.csv" || fail "no slot column: $(cat "$tmp/three.csv")"
run write "$tmp/fleet.cfg" --port "$device" --port "$dev72"; expect_rc 1 "write on two ports"
grep -q "^$dev72: differs: Low Battery" <<< "$out" || fail "the differing port is not named: $out"
kill "${extra[@]}"
run detect --port "$device" --port "$dev71"; expect_rc 2 "detect on two ports"

# Refused values send nothing (exit 2); no tracker exits 3; usage errors exit 2.
sed 's/^BasicInfo_LowBattery=30/BasicInfo_LowBattery=5/' "$tmp/fleet.cfg" > "$tmp/low.cfg"
run write "$tmp/low.cfg" --port "$device"; expect_rc 2 "low battery"
grep -q 'BasicInfo_LowBattery is "5"' <<< "$out" || fail "low battery not named"
sed 's/^AuthNumber_VIP2=/AuthNumber_VIP2=12-3/; s/^GPRS_APN=/GPRS_ANP=/' "$tmp/fleet.cfg" > "$tmp/vip.cfg"
run write "$tmp/vip.cfg" --port "$device"; expect_rc 2 "refused number"
grep -q 'VIP number 2 is error.' <<< "$out" || fail "refused number not named"
grep -q 'unknown key GPRS_ANP' <<< "$out" || fail "the misspelled key is not named"
grep -q 'lacks GPRS_APN' <<< "$out" || fail "the missing key is not named"
run write "$tmp/missing.cfg" --port "$device"; expect_rc 2 "missing file"
run detect; expect_rc 2 "no port"
run frobnicate --port "$device"; expect_rc 2 "unknown command"
# A tracker that answers letters where numbers belong: the read saves nothing and exits 4,
# naming the settings; an empty authorization slot answered as "0" reads as the empty number.
start_sim --malformed non-numeric
rm -f "$tmp/bad.cfg"
run read --port "$device" -o "$tmp/bad.cfg"; expect_rc 4 "read of non-numeric answers"
grep -q 'answered no number for Low Battery (P10: "x20x")' <<< "$out" || fail "the non-numeric value is not named: $out"
grep -q 'Port (P05: "x8888x")' <<< "$out" || fail "the non-numeric port is not named: $out"
[ ! -e "$tmp/bad.cfg" ] || fail "a read of non-numeric answers saved $(cat "$tmp/bad.cfg")"
start_sim --empty-slot-zero
run write "$tmp/fleet.cfg" --port "$device"; expect_rc 0 "write to a tracker that answers empty slots as 0"
start_sim --silent
run detect --port "$device"; expect_rc 3 "silent tracker"
grep -q "no tracker answered on $device" <<< "$out" || fail "silent tracker not reported"
run detect --port /dev/nonexistent-tty; expect_rc 3 "missing device"
echo "cli_commands: all passed"
