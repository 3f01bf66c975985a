#!/usr/bin/env bash
# --provision against what goes wrong: bad parameter files are refused before anything is sent
# (exit 2); a report that is a FIFO, a device, on a full disk or unwritable is never read and
# exits 4 leaving earlier rows whole; two runs appending at once lose no row; a tracker lost
# after it answered exits 4 naming the device; SIGTERM and SIGINT append an interrupted row.
# Usage: cli_provision_faults.sh <tovrik-assistant> <tovrik-sim>
set -euo pipefail
exe=$1
sim=$2
tmp=$(mktemp -d)
simpid=
mounted=
cleanup() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null
    [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$tmp/runtime"
source "$(dirname "$0")/../support_sim.sh"
provision() { out=$(timeout 60 "$exe" --data-folder "$tmp/data" "$@" 2>&1) && rc=0 || rc=$?; }
# A whole parameter file, with one line replaced: write_cfg FILE [KEY=VALUE].
write_cfg() {
    local file=$1 change=${2:-}
    printf '[Para]\nBasicInfo_AnotherName=Van7\nBasicInfo_LowBattery=30\nBasicInfo_TimeDiff=480\nBasicInfo_GSensorParams=700\nAuthNumber_VIP1=+4912345\nAuthNumber_VIP2=\nAuthNumber_VIP3=\nAuthNumber_VIP4=\nAuthNumber_VIP5=\nGPRS_IPAdd=10.1.2.3\nGPRS_Port=9000\nGPRS_APN=internet\nGPRS_User=\nGPRS_Pass=\nDataUpLoad_Normal=1\nDataUpLoad_Moving=0\nDataUpLoad_Mode=2\nDataUpLoad_KeepAlive=1\nDataUpLoad_KeepAliveTime=60\nAlarm_Params=1,2,3,0,1\n' > "$file"
    if [ -n "$change" ]; then
        local key=${change%%=*}
        grep -v "^$key=" "$file" > "$file.tmp" || true
        printf '%s\n' "$change" >> "$file.tmp"
        mv "$file.tmp" "$file"
    fi
}
good=$tmp/good.cfg
write_cfg "$good"

# Bad parameter files: exit 2, the key named, the port never opened.
start_sim
while IFS='|' read -r change named; do
    write_cfg "$tmp/bad.cfg" "$change"
    provision --provision "$tmp/bad.cfg" --port "$device" --report "$tmp/bad-report.csv"
    [ "$rc" -eq 2 ] || fail "$change: exit $rc"
    grep -qF -- "$named" <<< "$out" || fail "$change: \"$named\" not in: $out"
    ! grep -q '^port:' <<< "$out" || fail "$change: the port was opened"
done <<'TABLE'
AuthNumber_VIP1=+49,151|VIP number 1 is error.
GPRS_Port=abc|GPRS_Port is "abc"
GPRS_Port=-1|GPRS_Port is "-1"
GPRS_Port=70000|GPRS_Port is "70000"
DataUpLoad_Mode=9|DataUpLoad_Mode is "9"
BasicInfo_TimeDiff=99999|BasicInfo_TimeDiff is "99999"
DataUpLoad_KeepAliveTime=20|DataUpLoad_KeepAliveTime is "20"
Alarm_Params=a,b,c,d,e|Alarm_Params is "a,b,c,d,e"
Alarm_Params=1,0|Alarm_Params is "1,0"
Alarm_Params=99,99,99,99,99|Alarm_Params is "99,99,99,99,99"
GPRS_APN=inter(net)|GPRS_APN must not contain
TABLE
[ ! -e "$tmp/bad-report.csv" ] || fail "a refused file left a report row"
# A misspelled key: warned, and the key it should have been is missing.
sed 's/^GPRS_Port=/GPRS_Prot=/' "$good" > "$tmp/typo.cfg"
provision --provision "$tmp/typo.cfg" --port "$device" --report "$tmp/r.csv"
[ "$rc" -eq 2 ] || fail "a misspelled key: exit $rc"
grep -q 'unknown key GPRS_Prot' <<< "$out" && grep -q 'lacks GPRS_Port' <<< "$out" || fail "misspelled key: $out"
# A NUL byte and a byte the code page cannot hold.
sed 's/^BasicInfo_AnotherName=Van7/BasicInfo_AnotherName=Van\x00x/' "$good" > "$tmp/nul.cfg"
sed 's/^BasicInfo_AnotherName=Van7/BasicInfo_AnotherName=V\xffn/' "$good" > "$tmp/byte.cfg"
for f in nul byte; do
    provision --provision "$tmp/$f.cfg" --port "$device" --report "$tmp/r.csv"
    [ "$rc" -eq 2 ] && grep -q 'BasicInfo_AnotherName holds a character that cannot be sent' <<< "$out" || fail "$f: $rc $out"
done

# A keep-alive of 30, which the pages show as off, verifies; a fence file of lone CR lines.
write_cfg "$tmp/ka30.cfg" DataUpLoad_KeepAliveTime=30
printf 'number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\r7,Depot,113.945617,22.917922,114,22.5\r' > "$tmp/mac.csv"
provision --provision "$tmp/ka30.cfg" --port "$device" --fences "$tmp/mac.csv" --report "$tmp/r.csv"
[ "$rc" -eq 0 ] || fail "keep-alive 30 with a CR fence file: exit $rc: $out"
grep -q '^fences: 1 from' <<< "$out" || fail "the CR fence file gave no fence: $out"
printf 'number,name,lt_longitude,lt_latitude,rb_longitude,rb_latitude\n' > "$tmp/none.csv"
provision --provision "$good" --port "$device" --fences "$tmp/none.csv" --report "$tmp/r.csv"
[ "$rc" -eq 0 ] && grep -q 'warning: the fence file .* holds no fence' <<< "$out" || fail "an empty fence file: $rc $out"

# Reports that are no plain file end at once with exit 4; the run itself passed.
mkfifo "$tmp/fifo"
mkdir "$tmp/folder.csv"
for report in "$tmp/fifo" /dev/full /dev/zero "$tmp/folder.csv" /proc/version/x.csv; do
    start=$(date +%s)
    provision --provision "$good" --port "$device" --report "$report"
    [ "$rc" -eq 4 ] || fail "report $report: exit $rc: $out"
    grep -q 'the report row was not saved' <<< "$out" || fail "report $report: not said"
    [ $(( $(date +%s) - start )) -lt 20 ] || fail "report $report took too long"
done

# A full disk: the row is refused and the rows before it stay.
if [ "$(id -u)" -eq 0 ] && mkdir "$tmp/small" && mount -t tmpfs -o size=8k tmpfs "$tmp/small" 2>/dev/null; then
    mounted=$tmp/small
    report=$tmp/small/report.csv
    provision --provision "$good" --port "$device" --report "$report"
    [ "$rc" -eq 0 ] || fail "first row on the small disk: exit $rc"
    before=$(cat "$report")
    head -c 100000 /dev/zero > "$tmp/small/fill" 2>/dev/null || true
    provision --provision "$good" --port "$device" --report "$report"
    [ "$rc" -eq 4 ] || fail "a full disk: exit $rc: $out"
    [ "$(cat "$report")" = "$before" ] || fail "a full disk changed the rows before"
    umount "$tmp/small"; mounted=
else
    echo "skipped: the full-disk case needs root and tmpfs"
fi

# Two runs at once, 50 rows each, into one report: 100 rows and the header after.
shared=$tmp/shared.csv
for p in 1 2; do
    ( for i in $(seq 50); do "$exe" --data-folder "$tmp/data" --provision "$good" --port "$tmp/no-such-device" \
          --report "$shared" > /dev/null 2>&1 || true; done ) &
done
wait %2 %3 2>/dev/null || wait
[ "$(wc -l < "$shared")" -eq 101 ] || fail "two writers kept $(( $(wc -l < "$shared") - 1 )) of 100 rows"
[ "$(grep -c ',no tracker,' "$shared")" -eq 100 ] || fail "rows mixed up"

# A tracker that answers who it is and then hangs up: exit 4, the device named.
start_sim --hang-up-after 3
provision --provision "$good" --port "$device" --report "$tmp/lost.csv"
[ "$rc" -eq 4 ] || fail "a lost line: exit $rc: $out"
grep -q "the tracker on $device stopped answering" <<< "$out" || fail "the lost line does not name the device: $out"
grep -q ',error,' "$tmp/lost.csv" || fail "no error row for the lost line"

# SIGTERM and SIGINT while the tracker answers slowly: an interrupted row, 143 and 130.
start_sim --delay 400
for sig in TERM INT; do
    "$exe" --data-folder "$tmp/data" --provision "$good" --port "$device" --report "$tmp/signal.csv" > "$tmp/signal.out" 2>&1 &
    pid=$!
    for _ in $(seq 100); do grep -q 'step 2/' "$tmp/signal.out" && break; sleep 0.1; done
    kill -s "$sig" "$pid"
    wait "$pid" && rc=0 || rc=$?
    expected=$([ "$sig" = TERM ] && echo 143 || echo 130)
    [ "$rc" -eq "$expected" ] || fail "SIG$sig: exit $rc: $(cat "$tmp/signal.out")"
done
[ "$(grep -c ',interrupted,' "$tmp/signal.csv")" -eq 2 ] || fail "no interrupted rows: $(cat "$tmp/signal.csv")"
echo "ok: provision faults"
