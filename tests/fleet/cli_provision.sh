#!/usr/bin/env bash
# tovrik-assistant --provision run as a script runs it, against tovrik-sim on a pseudo-terminal:
# exit 0 when written and verified, 1 when a value reads back otherwise (each field printed),
# 2 for a usage or file error, 3 when no tracker answers; every run appends its report row.
# Usage: cli_provision.sh <tovrik-assistant> <tovrik-sim>
set -euo pipefail
exe=$1
sim=$2
tmp=$(mktemp -d)
simpid=
trap '[ -n "$simpid" ] && kill "$simpid" 2>/dev/null; rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$tmp/runtime"
source "$(dirname "$0")/../support_sim.sh"

# Runs a provisioning; sets $out and $rc.
provision() {
    out=$("$exe" --data-folder "$tmp/data" "$@" 2>&1) && rc=0 || rc=$?
    echo "$out"
}

printf '[Para]\r\nBasicInfo_AnotherName=Van7\r\nBasicInfo_LowBattery=30\r\nBasicInfo_TimeDiff=480\r\nBasicInfo_GSensorParams=700\r\nAuthNumber_VIP1=+4912345\r\nAuthNumber_VIP2=\r\nAuthNumber_VIP3=\r\nAuthNumber_VIP4=\r\nAuthNumber_VIP5=\r\nGPRS_IPAdd=10.1.2.3\r\nGPRS_Port=9000\r\nGPRS_APN=internet\r\nGPRS_User=\r\nGPRS_Pass=\r\nDataUpLoad_Normal=1\r\nDataUpLoad_Moving=0\r\nDataUpLoad_Mode=2\r\nDataUpLoad_KeepAlive=%s\r\nDataUpLoad_KeepAliveTime=%s\r\nAlarm_Params=1,2,3,0,1\r\n' 0 300 > "$tmp/fleet.cfg"
printf 'number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r\n7,Depot,113.945617,22.917922,114,22.5\r\n' > "$tmp/fences.csv"
report=$tmp/report.csv

help=$("$exe" --help)
for option in '--provision <file>' '--port <n|device>' '--fences <file>' '--report <file.csv>' '--verify-only'; do
    grep -qF -- "$option" <<< "$help" || fail "--help does not list $option"
done

start_sim --id 0000000001
provision --provision "$tmp/fleet.cfg" --port "$device" --fences "$tmp/fences.csv" --report "$report"
[ "$rc" -eq 0 ] || fail "a good tracker exited $rc"
grep -q '^result: pass$' <<< "$out" || fail "no pass line"
grep -q '^step 5/5' <<< "$out" || fail "no last step"
# A tracker that already holds the configuration verifies without a write.
provision --provision "$tmp/fleet.cfg" --port "$device" --fences "$tmp/fences.csv" --report "$report" --verify-only
[ "$rc" -eq 0 ] || fail "--verify-only on a provisioned tracker exited $rc"

# --verify-only writes nothing: a fresh tracker differs, and still differs afterwards.
start_sim --id 0000000002
provision --provision "$tmp/fleet.cfg" --port "$device" --report "$report" --verify-only
[ "$rc" -eq 1 ] || fail "--verify-only on a fresh tracker exited $rc"
grep -q '^differs: Another Name: written "Van7", read back ""$' <<< "$out" || fail "the alias difference is not printed"
provision --provision "$tmp/fleet.cfg" --port "$device" --report "$report" --verify-only
[ "$rc" -eq 1 ] || fail "--verify-only wrote something"

start_sim --id 0000000003 --ignore-write 10
provision --provision "$tmp/fleet.cfg" --port "$device" --report "$report"
[ "$rc" -eq 1 ] || fail "an ignored write exited $rc"
grep -q '^differs: Low Battery: written "30", read back "20"$' <<< "$out" || fail "the differing field is not printed"
[ "$(grep -c '^differs:' <<< "$out")" -eq 1 ] || fail "more than the one field differs"

# A fence the tracker does not take is named with both sides.
start_sim --id 0000000006 --ignore-write 8
provision --provision "$tmp/fleet.cfg" --port "$device" --fences "$tmp/fences.csv" --report "$tmp/fences-report.csv"
[ "$rc" -eq 1 ] || fail "an ignored fence write exited $rc"
grep -q '^differs: Geo-fence 7: written "Depot (113.945617, 22.917922) (114, 22.5)", read back " (0, 0) (0, 0)"$' <<< "$out" \
    || fail "the differing fence is not printed"

start_sim --id 0000000004 --silent
provision --provision "$tmp/fleet.cfg" --port "$device" --report "$report"
[ "$rc" -eq 3 ] || fail "a silent tracker exited $rc"

provision --provision "$tmp/missing.cfg" --port "$device" --report "$report"
[ "$rc" -eq 2 ] || fail "a missing parameter file exited $rc"
provision --provision "$tmp/fleet.cfg" --report "$report"
[ "$rc" -eq 2 ] || fail "--provision without --port exited $rc"

cat "$report"
[ "$(head -n 1 "$report")" = $'time,port,identifier,firmware,result,details,slot\r' ] || fail "the report has no header"
[ "$(wc -l < "$report")" -eq 7 ] || fail "the report does not hold one row per run"
# The slot: a pseudo-terminal has no stable name but its device.
grep -q ",0000000001,SIM-1.0.0,pass,,/dev/[^,]*"$'\r$' "$report" || fail "no pass row"
grep -q ",0000000003,SIM-1.0.0,differs,\"Low Battery: written \"\"30\"\", read back \"\"20\"\"\",/dev/[^,]*"$'\r$' "$report" || fail "no differs row"
grep -q ",,,no tracker,,/dev/[^,]*"$'\r$' "$report" || fail "no row for the silent tracker"
# Without --report the row goes to the day's report in the data folder.
start_sim --id 0000000005
provision --provision "$tmp/fleet.cfg" --port "$device"
[ "$rc" -eq 0 ] || fail "a run into the day's report exited $rc"
ls "$tmp/data/reports/provision-"*.csv > /dev/null || fail "no report in the data folder"
echo "ok: provision"
