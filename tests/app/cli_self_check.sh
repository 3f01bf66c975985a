#!/usr/bin/env bash
# tovrik-assistant --self-check run as a user runs it: the report names the settings file it
# read, the languages beside the program and in the data folder, and the simulated tracker's
# port; a start that shows an error box ends with exit code 1 and the box's text.
# Usage: cli_self_check.sh <tovrik-assistant executable> <source folder>
set -euo pipefail
exe=$1
. "$2/packaging/self-check-lib.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 XDG_RUNTIME_DIR=$tmp/runtime
mkdir -m 700 "$tmp/runtime"

# A data folder with a settings file naming Spanish and a language of the user's own.
data=$tmp/data
mkdir -p "$data/locale"
printf '[config]\r\nlanguage=Spanish\r\nlat=1.5\r\n' > "$data/tovrik-assistant.ini"
printf '[language]\r\n000=Nombre propio\r\n' > "$data/locale/mine.lng"
report=$("$exe" --data-folder "$data" --simulate --self-check 2> "$tmp/stderr") && rc=0 || rc=$?
echo "$report"
[ "$rc" -eq 0 ] || { cat "$tmp/stderr"; fail "--self-check exited $rc"; }
expect_value "$report" start-up-messages 0
expect_value "$report" settings-file "$data/tovrik-assistant.ini"
expect_value "$report" settings-language Spanish
# The box compares names without regard to case: the file is spanish.lng.
expect_value "$report" language-selected spanish
expect_value "$report" data-folder "$data"
expect_value "$report" per-user no
expect_listed "$report" language-folders "$data/locale" :
expect_listed "$report" language-folders "$(dirname "$exe")/locale" :
expect_listed "$report" languages mine ", "
expect_listed "$report" languages chinese ", "
expect_listed "$report" languages spanish ", "
case "$(report_value "$report" caption)" in
    "Asistente Tovrik["*"]") ;;
    *) fail "the caption '$(report_value "$report" caption)' is not in Spanish" ;;
esac
expect_port_of_simulator "$report"
grep -q '^095=Tovrik Assistant' "$data/locale/english.lng" || fail "english.lng was not written into $data/locale"
grep -q '^lat=1.5' "$data/tovrik-assistant.ini" || fail "the settings file lost its lat"

# Without --simulate no simulator is reported.
report=$("$exe" --data-folder "$data" --self-check 2> "$tmp/stderr") && rc=0 || rc=$?
[ "$rc" -eq 0 ] || { cat "$tmp/stderr"; fail "--self-check without --simulate exited $rc"; }
expect_value "$report" simulator none

# A data folder that cannot exist (below a plain file): the settings file cannot be written,
# start-up shows the reason, and the self-check fails with it.
: > "$tmp/plain-file"
report=$("$exe" --data-folder "$tmp/plain-file/data" --self-check 2> "$tmp/stderr") && rc=0 || rc=$?
echo "$report"
[ "$rc" -eq 1 ] || fail "a start that cannot write its settings file exited $rc, expected 1"
expect_value "$report" start-up-messages 1
case "$(report_value "$report" message)" in
    *"Cannot create file \"$tmp/plain-file/data/tovrik-assistant.ini\""*) ;;
    *) fail "the message '$(report_value "$report" message)' does not name the settings file" ;;
esac
echo "ok: self-check"
