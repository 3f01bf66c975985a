#!/usr/bin/env bash
# Starts an installed tovrik-assistant (<prefix>/bin) offscreen with --simulate --self-check in
# fresh per-user folders, as the user the caller names (or the caller), and checks that the
# program
# - reads the settings file prepared in $XDG_CONFIG_HOME/tovrik-assistant (language=spanish),
# - lists the languages shipped in <prefix>/share/tovrik-assistant/locale,
# - writes the English catalogue to $XDG_DATA_HOME/tovrik-assistant/locale,
# - lists and selects the simulated tracker's port,
# - writes nothing into <prefix>,
# then starts it once more and checks that the written catalogue is listed too.
# Usage: check-installed-run.sh PREFIX [USER GROUP]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/self-check-lib.sh"

prefix=$1
user=${2:-}
group=${3:-}
exe=$prefix/bin/tovrik-assistant
[ -x "$exe" ] || fail "$exe is not installed"

tmp=$(mktemp -d /tmp/tovrik-check.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
config=$tmp/config
data=$tmp/data
mkdir -p "$tmp/home" "$config/tovrik-assistant" "$data" "$tmp/runtime"
chmod 700 "$tmp/runtime"
printf '[config]\r\nlanguage=spanish\r\n' > "$config/tovrik-assistant/tovrik-assistant.ini"
as_user=()
if [ -n "$user" ]; then
    chown -R "$user:$group" "$tmp"
    as_user=(setpriv --reuid="$user" --regid="$group" --clear-groups)
fi
who="${user:-$(id -un)}"

# A clean environment, as a desktop session's start would give, with the sanitizers' options
# of a sanitizer build kept.
keep=()
for v in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS LANG; do
    [ -z "${!v:-}" ] || keep+=("$v=${!v}")
done
run() {
    "${as_user[@]}" env -i PATH=/usr/bin:/bin HOME="$tmp/home" XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$data" \
        XDG_RUNTIME_DIR="$tmp/runtime" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "${keep[@]}" \
        "$exe" --simulate --self-check 2> "$tmp/stderr"
}

before=$(listing "$prefix/share/tovrik-assistant"; listing "$prefix/bin")
report=$(run) && rc=0 || rc=$?
[ "$rc" -eq 0 ] || { cat "$tmp/stderr" >&2; fail "$exe --self-check as $who exited $rc with: $report"; }
echo "$report" | sed "s/^/  [$who] /"

expect_value "$report" start-up-messages 0
expect_value "$report" per-user yes
expect_value "$report" settings-file "$config/tovrik-assistant/tovrik-assistant.ini"
expect_value "$report" settings-language spanish
expect_value "$report" language-selected spanish
expect_value "$report" data-folder "$data/tovrik-assistant"
expect_listed "$report" language-folders "$data/tovrik-assistant/locale" :
expect_listed "$report" language-folders "$prefix/share/tovrik-assistant/locale" :
expect_listed "$report" languages chinese ", "
expect_listed "$report" languages spanish ", "
expect_port_of_simulator "$report"
grep -q '^\[language\]' "$data/tovrik-assistant/locale/english.lng" 2>/dev/null ||
    fail "english.lng was not written to $data/tovrik-assistant/locale"
[ "$(stat -c %U "$data/tovrik-assistant/locale/english.lng")" = "$who" ] ||
    fail "english.lng does not belong to $who"
grep -qi '^language=spanish' "$config/tovrik-assistant/tovrik-assistant.ini" ||
    fail "the settings file lost its language"

# The second start lists the catalogue the first one wrote, as the user's own language.
report=$(run) && rc=0 || rc=$?
[ "$rc" -eq 0 ] || { cat "$tmp/stderr" >&2; fail "the second start as $who exited $rc with: $report"; }
expect_listed "$report" languages english ", "
expect_value "$report" language-selected spanish

after=$(listing "$prefix/share/tovrik-assistant"; listing "$prefix/bin")
[ "$before" = "$after" ] || fail "the program wrote into $prefix: $(diff <(echo "$before") <(echo "$after") || true)"
echo "ok: installed program in $prefix, run as $who"
